#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs each one
# for SECONDS seconds, starting from a copy of its starting corpus in
# fuzz/corpus/<target>/, so the repository is never modified.
#
#   fuzz/run-fuzzers.sh 60                one minute per target
#   fuzz/run-fuzzers.sh 5                 the short runs of scripts/test.sh
#   fuzz/run-fuzzers.sh 600 fuzz_compose  ten minutes of one target
#
# Exits non-zero when any target crashes, a sanitizer reports, or a target
# finds a result that differs from its reference; the input that did it is
# kept in build/fuzz/findings/ and can be replayed by passing it to the
# target: build/fuzz/bin/<target> build/fuzz/findings/<file>
set -euo pipefail

usage() { echo "usage: $0 SECONDS [TARGET...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
seconds=$1
shift
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage

cd "$(dirname "$0")/.."
all_targets=(fuzz_compose fuzz_text fuzz_files)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
for target in "${targets[@]}"; do
    [ -d "fuzz/corpus/$target" ] || { echo "unknown fuzz target: $target" >&2; exit 2; }
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel "$(nproc)" --target "${targets[@]}"

# The targets write and read a small file for many inputs: in memory that
# costs little, on a disk it would slow them down a hundredfold.
base=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; fi
work=$(mktemp -d "$base/inkwright-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
findings=$PWD/build/fuzz/findings
mkdir -p "$findings"

failed=()
for target in "${targets[@]}"; do
    corpus=$work/$target
    mkdir -p "$corpus" "$work/tmp-$target"
    cp -- fuzz/corpus/"$target"/* "$corpus"/
    log=$work/$target.log
    printf '%-14s %4ss ... ' "$target" "$seconds"
    if TMPDIR=$work/tmp-$target "build/fuzz/bin/$target" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
        echo "ok ($runs runs, $cov)"
    else
        echo "FAILED"
        tail -n 60 "$log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $findings)" >&2
    exit 1
fi
