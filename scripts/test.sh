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
if [ -x fuzz/run.sh ]; then
  fuzz/run.sh "${VTS_FUZZ_SECONDS:-60}" || status=1
fi
exit $status
