#!/usr/bin/env bash
# Builds the optimised programs and the benchmark, and prints the benchmark's
# table: start-up, "Copy to Clipboard (All)", batch creation, picking an entry,
# pasting keywords, exporting all prompts from the window and with
# inkwright-batch, and reading a keyword file, each the median of several runs
# beside a reference measured in the same run. Extra arguments go to the
# benchmark (for example --runs 9 or --only export; --help lists them). Then
# inkwright-write against a loopback server that answers at once: its CPU per
# article and its peak memory over 100,000 prompts (write_bench).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}"
cmake --preset release -DINKWRIGHT_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release --target inkwright_bench write_bench
QT_QPA_PLATFORM=offscreen QT_ENABLE_HIGHDPI_SCALING=0 build/release/bin/inkwright_bench "$@"
echo
exec build/release/bin/write_bench
