#!/usr/bin/env bash
# Installs what the program and its tests need, builds, starts the print server the tests
# use, runs every test and stops that server again (also when a test fails).
set -euo pipefail
cd "$(dirname "$0")/.."
export VTS_BUILD_DIR=${VTS_BUILD_DIR:-build}
scripts/setup.sh --test

cleanup() { [ -x scripts/cups-test-stop.sh ] && scripts/cups-test-stop.sh || true; }
trap cleanup EXIT
if [ -x scripts/cups-test-start.sh ]; then
  # shellcheck disable=SC1090
  eval "$(scripts/cups-test-start.sh)"
fi

status=0
scripts/check-format.sh || { echo "check-format: files above differ from .clang-format" >&2; status=1; }
(cd "$VTS_BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600) || status=$?
# The engine, working-database and bridge tests once more under AddressSanitizer and UBSan
# (VTS_SANITIZE=0 skips them).
if [ "${VTS_SANITIZE:-1}" = 1 ]; then
  asan="$VTS_BUILD_DIR-asan"
  cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTS_TESTS=ON -DVTS_WERROR=ON \
    -DVTS_COMPONENTS="platform/shell;platform/pdx;platform/db;fsutil;bridge" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" &&
    cmake --build "$asan" -j "$(nproc)" &&
    (cd "$asan" && ctest --output-on-failure -j 2 --timeout 900) || status=1
fi
# The tests of work done on more than one thread (the copy going on under the grid, rows read
# ahead on the other core) once more under ThreadSanitizer.
if [ "${VTS_SANITIZE:-1}" = 1 ]; then
  tsan="$VTS_BUILD_DIR-tsan"
  cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTS_TESTS=ON -DVTS_WERROR=ON \
    -DVTS_COMPONENTS="platform/shell;platform/pdx;platform/db;fsutil;bridge" \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" &&
    cmake --build "$tsan" -j "$(nproc)" --target db_tests bridge_tests &&
    (cd "$tsan" && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j 2 --timeout 900 \
      -R "^(ImportTail|ReadAheadCursor|SelectIntoTest|GridSource|CrashPoint|PartialImport|WriteBack)") || status=1
fi
if [ -x fuzz/run.sh ]; then
  fuzz/run.sh "${VTS_FUZZ_SECONDS:-60}" || status=1
fi
exit $status
