#!/usr/bin/env bash
# Builds everything and runs every test: the format check, the suite with
# warnings fatal, the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, short fuzzing runs, the end-to-end test on a
# real X server, and the Windows build under Wine when its Qt for Windows is
# there. About 15 minutes on two cores from nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "${FORMAT_PACKAGES[@]}" "${E2E_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
jobs=$(nproc)

step() { printf '\n=== %s\n' "$*"; }

step "Format (clang-format-14, .clang-format)"
git ls-files -- '*.cpp' '*.h' | xargs clang-format-14 --dry-run --Werror

step "Build and test (warnings fatal)"
cmake --preset ci >/dev/null
cmake --build --preset ci --parallel "$jobs"
ctest --preset ci --parallel "$jobs"

step "Build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan --parallel "$jobs"
ctest --preset asan --parallel "$jobs"

step "Fuzzing (short runs from the committed corpus)"
cmake --preset fuzz -DINKWRIGHT_FUZZ_SECONDS=5 >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz

step "End-to-end test on a real X server"
tests/e2e/run-e2e.sh

step "Windows build and tests under Wine"
win_qt=${INKWRIGHT_WIN_QT:-$HOME/.cache/inkwright/qt-6.4.2-mingw-static}
if [ -e "$win_qt/inkwright-windows-qt.done" ]; then
    scripts/windows.sh
else
    echo "Skipped: no Qt for Windows in $win_qt; scripts/windows-qt.sh makes it (about 30 minutes on two idle cores, 90 on a busy machine)."
fi

step "All tests passed"
