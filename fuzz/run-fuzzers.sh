#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs each for SECONDS seconds from
# a copy of its corpus in fuzz/corpus/<target>/:   fuzz/run-fuzzers.sh 60 [TARGET...]
# An input that breaks a target is kept in build/fuzz/findings/; replay it with
# build/fuzz/bin/<target> <file>.
set -euo pipefail
[[ ${1:-} =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 SECONDS [TARGET...]" >&2; exit 2; }
seconds=$1 && shift
cd "$(dirname "$0")/.."
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_compose fuzz_files)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"
work=$(mktemp -d "$([ -w /dev/shm ] && echo /dev/shm || echo /tmp)/inkwright-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
findings=$PWD/build/fuzz/findings
mkdir -p "$findings" "$work/tmp"
failed=()
for target in "${targets[@]}"; do
    mkdir -p "$work/$target" && cp fuzz/corpus/"$target"/* "$work/$target"/
    printf '%-14s %4ss ... ' "$target" "$seconds"
    if TMPDIR=$work/tmp "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=30 \
        -rss_limit_mb=2048 -max_len=4096 -artifact_prefix="$findings/$target-" "$work/$target" \
        >"$work/$target.log" 2>&1; then
        echo "ok ($(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -n 1))"
    else
        echo FAILED && tail -n 40 "$work/$target.log" && failed+=("$target")
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "Fuzzing found faults in: ${failed[*]} (inputs in $findings)" >&2; exit 1; }
