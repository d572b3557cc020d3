#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
VTS_BUILD_DIR=${VTS_BUILD_DIR:-build-run} scripts/setup.sh
exec "${VTS_BUILD_DIR:-build-run}/bin/verdalith" "$@"
