#!/usr/bin/env bash
# Builds everything and runs every test: the suite with warnings fatal, the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, short
# fuzzing runs, and the end-to-end test on a real X server.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "${E2E_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
jobs=$(nproc)

step() { printf '\n=== %s\n' "$*"; }

step "Build and test (warnings fatal)"
cmake --preset ci >/dev/null
cmake --build --preset ci --parallel "$jobs"
ctest --preset ci --parallel "$jobs"

step "Build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan --parallel "$jobs"
ctest --preset asan --parallel "$jobs"

if [ -x fuzz/run-fuzzers.sh ]; then
    step "Fuzzing (short runs from the committed corpus)"
    fuzz/run-fuzzers.sh 5
fi

if [ -x tests/e2e/run-e2e.sh ]; then
    step "End-to-end test on a real X server"
    tests/e2e/run-e2e.sh
fi
step "All tests passed"
