#!/usr/bin/env bash
# Installs the Debian packages the program needs (and with --test, those the tests need),
# then configures and builds. Runs as root (CI) or through sudo where present.
set -euo pipefail
cd "$(dirname "$0")/.."

RUN_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libsqlite3-dev libcups2-dev
  libxlsxwriter-dev fonts-liberation xdg-utils cups-client"
TEST_PACKAGES="googletest libgtest-dev libgmock-dev xvfb xauth x11-utils imagemagick cups
  printer-driver-cups-pdf poppler-utils python3 python3-openpyxl pxlib-dev sqlite3 clang
  libclang-rt-14-dev clang-format"

with_tests=0
[ "${1:-}" = "--test" ] && with_tests=1
packages="$RUN_PACKAGES"
[ $with_tests = 1 ] && packages="$packages $TEST_PACKAGES"

missing=$(dpkg-query -W -f='${Package} ${Status}\n' $packages 2>/dev/null | awk '$NF!="installed"{print $1}' || true)
for p in $packages; do dpkg-query -W "$p" >/dev/null 2>&1 || missing="$missing $p"; done
if [ -n "$(echo $missing)" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

BUILD=${VTS_BUILD_DIR:-build}
if [ $with_tests = 1 ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTS_TESTS=ON -DVTS_WERROR=ON
else
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTS_TESTS=OFF \
    -DVTS_COMPONENTS="platform/shell;platform/pdx;platform/db;platform/ui;platform/print;platform/xlsx;fsutil;bridge;export;pages;app;tools;samples"
fi
cmake --build "$BUILD" -j "$(nproc)"
