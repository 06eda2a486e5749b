#!/usr/bin/env bash
# Builds the optimised programs and starts InkwrightPlus.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release --target InkwrightPlus Inkwright
exec build/release/bin/InkwrightPlus "$@"
