#!/usr/bin/env bash
# Pictures of the three pages under a virtual display, into docs/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${VTS_BUILD_DIR:-build}
cmake --build "$BUILD" --target vts_screenshots verdalith
xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/buildtools/vts_screenshots" "$BUILD/bin" docs/screenshots
