#!/bin/sh
# Builds the reader fuzz target with libFuzzer, AddressSanitizer and UBSan into fuzz/build/.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
mkdir -p "$here/build"
pdx="$root/platform/pdx"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" \
  "$here/pdx_reader_fuzz.cpp" \
  "$pdx/codec.cpp" "$pdx/codepage.cpp" "$pdx/types.cpp" "$pdx/input_file.cpp" "$pdx/header.cpp" \
  "$pdx/block_chain.cpp" "$pdx/blob_reader.cpp" "$pdx/record_decoder.cpp" "$pdx/reader.cpp" \
  "$pdx/family.cpp" "$pdx/name_case.cpp" "$pdx/family_lock.cpp" \
  -o "$here/build/pdx_reader_fuzz"
echo "$here/build/pdx_reader_fuzz"
