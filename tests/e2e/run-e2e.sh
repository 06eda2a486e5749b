#!/usr/bin/env bash
# End-to-end test on a real X server: builds the programs, installs them into
# a temporary folder with `cmake --install`, and drives the installed
# InkwrightPlus and Inkwright under Xvfb with xdotool and xclip, as a person
# would (see drive.sh).
#
#   tests/e2e/run-e2e.sh [--repeat N] [--update-docs]
#
#   --repeat N      run the whole test N times in a row (a fresh install each
#                   time) and report how many runs passed
#   --update-docs   also write docs/main-window.png and docs/product-manager.png
#
# E2E_BUILD_DIR (default build/e2e) is the build folder; screenshots of every
# stage are kept in E2E_SHOTS (default <build folder>/shots/run-N).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
HERE="$ROOT/tests/e2e"
BUILD=${E2E_BUILD_DIR:-$ROOT/build/e2e}
SHOTS_ROOT=${E2E_SHOTS:-$BUILD/shots}
KEYWORD_IDEAS_ADDRESS=https://answerthepublic.com/
repeat=1
docs=""

while [ $# -gt 0 ]; do
    case $1 in
        --repeat)
            repeat=${2:?--repeat needs a number}
            shift 2
            ;;
        --update-docs)
            docs="$ROOT/docs"
            shift
            ;;
        *)
            echo "unknown argument: $1 (use --repeat N, --update-docs)" >&2
            exit 2
            ;;
    esac
done
[[ $repeat =~ ^[1-9][0-9]*$ ]] || { echo "--repeat needs a positive number" >&2; exit 2; }

missing=()
for tool in xvfb-run xauth xdotool xclip import convert cmp od cmake ninja; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "The end-to-end test needs: ${missing[*]}" >&2
    echo "Install them with: source scripts/packages.sh && bash scripts/deps.sh \"\${E2E_PACKAGES[@]}\"" >&2
    exit 2
fi

TMP=$(mktemp -d "${TMPDIR:-/tmp}/inkwright-e2e-run.XXXXXX")
trap 'rm -rf "$TMP"' EXIT

echo "== Building the programs in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF -DINKWRIGHT_BUILD_BENCHMARKS=OFF \
    -DINKWRIGHT_KEYWORD_IDEAS_URL="$KEYWORD_IDEAS_ADDRESS" >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)" --target InkwrightPlus Inkwright

# The installed folder must be the portable program folder.
check_install() {
    local dir=$1 problems=()
    local name
    for name in InkwrightPlus Inkwright; do
        [ -f "$dir/$name" ] && [ -x "$dir/$name" ] || problems+=("$name is missing or not executable")
    done
    for name in topic.txt topic-angle.txt; do
        cmp -s "$dir/templates/$name" "$ROOT/templates/$name" || problems+=("templates/$name differs from the source")
    done
    if [ ! -d "$dir/products" ]; then
        problems+=("products/ is missing")
    elif [ -n "$(ls -A "$dir/products")" ]; then
        problems+=("products/ is not empty")
    fi
    cmp -s "$dir/inkwright.png" "$ROOT/resources/inkwright.png" || problems+=("inkwright.png is missing")
    [ -x "$dir/desktop-entry.sh" ] || problems+=("desktop-entry.sh is missing or not executable")
    grep -qxF "Exec=\"$dir/InkwrightPlus\"" "$dir/inkwright.desktop" 2>/dev/null \
        || problems+=("inkwright.desktop does not start $dir/InkwrightPlus")
    grep -qxF "Icon=$dir/inkwright.png" "$dir/inkwright.desktop" 2>/dev/null \
        || problems+=("inkwright.desktop does not name the icon")
    if [ ${#problems[@]} -gt 0 ]; then
        printf 'The installed folder %s is not right:\n' "$dir" >&2
        printf '  %s\n' "${problems[@]}" >&2
        return 1
    fi
}

# The archive holds the same folder, without the desktop entry, which
# desktop-entry.sh writes once the archive is unpacked.
echo "== Packing the folder with CPack"
(cd "$BUILD" && cpack -G TGZ >"$TMP/cpack.log") || { cat "$TMP/cpack.log" >&2; exit 1; }
archive=$(ls -t "$BUILD"/package/Inkwright-*.tar.gz | head -n 1)
top=$(basename "$archive" .tar.gz)
tar tzf "$archive" | sort >"$TMP/archive.txt"
printf '%s\n' "$top/Inkwright" "$top/InkwrightPlus" "$top/desktop-entry.sh" "$top/inkwright.png" \
    "$top/products/" "$top/templates/" "$top/templates/topic-angle.txt" "$top/templates/topic.txt" \
    | sort >"$TMP/archive-expected.txt"
if ! cmp -s "$TMP/archive.txt" "$TMP/archive-expected.txt"; then
    echo "The archive $archive does not hold the program folder:" >&2
    diff "$TMP/archive-expected.txt" "$TMP/archive.txt" >&2 || true
    exit 1
fi
echo "$archive holds the program folder"

passed=0
durations=()
for ((run = 1; run <= repeat; run++)); do
    echo
    echo "== End-to-end run $run of $repeat"
    shots="$SHOTS_ROOT/run-$run"
    rm -rf "$shots"
    mkdir -p "$shots"
    folder="$TMP/run-$run/Inkwright"
    cmake --install "$BUILD" --prefix "$folder" >"$TMP/install-$run.log"
    check_install "$folder" || exit 1
    echo "installed into $folder"

    started=$(date +%s%N)
    rc=0
    # -noreset: the server must not reset when the last program closes, or the
    # next program started may find it restarting.
    KEYWORD_IDEAS_ADDRESS=$KEYWORD_IDEAS_ADDRESS \
        xvfb-run -a -e "$shots/xvfb.log" -s "-screen 0 1280x800x24 -dpi 96 -nolisten tcp -noreset" \
        bash "$HERE/drive.sh" "$folder" "$shots" "$docs" || rc=$?
    ms=$((($(date +%s%N) - started) / 1000000))
    durations+=("$(printf '%d.%01d' $((ms / 1000)) $((ms % 1000 / 100)))")
    if [ "$rc" -ne 0 ]; then
        echo
        echo "End-to-end run $run FAILED after ${durations[-1]} s; screenshots are kept in $shots"
        exit 1
    fi
    passed=$((passed + 1))
    rm -rf "$TMP/run-$run"
    echo "run $run passed in ${durations[-1]} s (screenshots in $shots)"
done

echo
echo "End-to-end test: $passed of $repeat runs passed; seconds per run: ${durations[*]}"
