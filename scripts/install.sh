#!/usr/bin/env bash
# Installs what the program needs, builds it and installs it (prefix /usr/local unless given):
# the program, pdxtool, the samples, the menu entry and the icons.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-/usr/local}
export VTS_BUILD_DIR=${VTS_BUILD_DIR:-build-run}
scripts/setup.sh
SUDO=""
if [ "$(id -u)" -ne 0 ] && [ ! -w "$(dirname "$prefix")" ] && command -v sudo >/dev/null; then SUDO=sudo; fi
$SUDO cmake --install "$VTS_BUILD_DIR" --prefix "$prefix"
echo "Installed into $prefix: start it with $prefix/bin/verdalith, or from the desktop's menu."
