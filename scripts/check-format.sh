#!/usr/bin/env bash
# Fails when a C++ file of ours differs from the layout .clang-format gives it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
