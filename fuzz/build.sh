#!/bin/sh
# Builds the reader fuzz target (fuzz/CMakeLists.txt) with clang, libFuzzer, AddressSanitizer
# and UBSan into fuzz/build/.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build "$here/build" >/dev/null
echo "$here/build/pdx_reader_fuzz"
