#!/usr/bin/env bash
# Builds Inkwright for 64-bit Windows and tests it under Wine: makes the
# static Qt for Windows if it is missing (scripts/windows-qt.sh), builds the
# "windows" preset, packs build/windows/package/Inkwright-<version>-Windows-x86_64.zip,
# runs the core suites as .exe files, has inkwright-write.exe from the unpacked
# zip write the articles of a stand-in chat server on 127.0.0.1
# (scripts/chat-server.py), and drives InkwrightPlus.exe on Xvfb.
# --update-docs also renews docs/windows.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}" "${E2E_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
export INKWRIGHT_WIN_QT=${INKWRIGHT_WIN_QT:-$HOME/.cache/inkwright/qt-6.4.2-mingw-static}
bash scripts/windows-qt.sh
build=$root/build/windows

start=$SECONDS
cmake --preset windows >/dev/null
nice -n 10 cmake --build --preset windows --parallel "$(nproc)"
rm -f "$build"/package/*.zip
(cd "$build" && nice -n 10 cpack >/dev/null)
zip=$(ls "$build"/package/*.zip)
echo "windows: built and packed in $((SECONDS - start)) s: $zip ($(du -k "$zip" | cut -f1) KiB)"

start=$SECONDS
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1
    wineserver -w
    cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
for suite in tst_components tst_prompts; do
    WINEQT_QPA_PLATFORM=offscreen wine "$build/bin/$suite.exe" -o "Z:$build/$suite.txt,txt" >/dev/null 2>&1 \
        || { cat "$build/$suite.txt" >&2; echo "windows: $suite.exe failed under Wine" >&2; exit 1; }
    tail -n 2 "$build/$suite.txt" | head -n 1
done

# The zip as a user unpacks it; the batch program, when there is one, must
# write what the Linux build's writes.
rm -rf "$build/unpacked" && mkdir -p "$build/unpacked"
unzip -q "$zip" -d "$build/unpacked"
folder=$(ls -d "$build"/unpacked/*/)
if [ -f "$folder/inkwright-batch.exe" ]; then
    printf 'herb garden for beginners\r\nHerb Garden\r\n' >"$build/keywords.txt"
    batch=(--main 'herb garden' --keywords - --format csv)
    wine "$folder/inkwright-batch.exe" "${batch[@]}" <"$build/keywords.txt" >"$build/batch.csv" \
        || { echo "windows: inkwright-batch.exe failed" >&2; exit 1; }
    for linux in build/ci/bin/inkwright-batch build/release/bin/inkwright-batch build/dev/bin/inkwright-batch; do
        [ -x "$linux" ] || continue
        "$linux" "${batch[@]}" --folder "$folder" <"$build/keywords.txt" | cmp - "$build/batch.csv" \
            || { echo "windows: inkwright-batch.exe wrote other prompts than $linux" >&2; exit 1; }
        echo "windows: inkwright-batch.exe writes what $linux writes"
        break
    done
fi
# inkwright-write.exe writes the articles of the batch's prompts, as JSON Lines,
# through a server on the loopback interface, and sends it no key it was not given.
printf 'herb garden for beginners\r\nHerb Garden\r\n' >"$build/keywords.txt"
wine "$folder/inkwright-batch.exe" --main 'herb garden' --keywords - --format jsonl \
    <"$build/keywords.txt" >"$build/prompts.jsonl" \
    || { echo "windows: inkwright-batch.exe failed" >&2; exit 1; }
# Starts the stand-in chat server with the options given; sets $server and $endpoint.
serve() {
    rm -rf "$build/articles" "$build/server.txt"
    python3 scripts/chat-server.py "$@" >"$build/server.txt" &
    server=$!
    trap 'kill "$server" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -s "$build/server.txt" ] && break; sleep 0.1; done
    endpoint=$(head -n 1 "$build/server.txt")
}
rm -f "$build/requests.txt"
serve --requests "$build/requests.txt"
OPENAI_API_KEY=not-for-this-server wine "$folder/inkwright-write.exe" --endpoint "$endpoint" \
    --model stand-in --out "Z:$build/articles" "Z:$build/prompts.jsonl" 2>"$build/write.txt" \
    || { cat "$build/write.txt" >&2; echo "windows: inkwright-write.exe failed" >&2; exit 1; }
kill "$server" && trap - EXIT
for name in herb-garden-for-beginners herb-garden; do
    grep -q '^# An article' "$build/articles/$name.md" \
        || { echo "windows: inkwright-write.exe did not write $name.md" >&2; exit 1; }
done
[ "$(grep -c '^- ' "$build/requests.txt")" = 2 ] \
    || { echo "windows: the server had other requests than two without a key" >&2; exit 1; }
echo "windows: inkwright-write.exe wrote the articles of a loopback server: $(tail -n 1 "$build/write.txt")"

# The same over https, through Windows' own TLS: trusted with --ca-file, refused without it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
    -addext subjectAltName=IP:127.0.0.1 -keyout "$build/key.pem" -out "$build/cert.pem" 2>/dev/null
serve --tls "$build/cert.pem" "$build/key.pem"
code=0
wine "$folder/inkwright-write.exe" --endpoint "$endpoint" --model stand-in --retries 0 \
    --out "Z:$build/articles" "Z:$build/prompts.jsonl" 2>"$build/write.txt" || code=$?
grep -q 'not trusted' "$build/write.txt" && [ "$code" = 1 ] && [ ! -e "$build/articles/herb-garden.md" ] \
    || { cat "$build/write.txt" >&2; echo "windows: an untrusted certificate was not refused" >&2; exit 1; }
wine "$folder/inkwright-write.exe" --endpoint "$endpoint" --model stand-in --ca-file "Z:$build/cert.pem" \
    --out "Z:$build/articles" "Z:$build/prompts.jsonl" 2>"$build/write.txt" \
    || { cat "$build/write.txt" >&2; echo "windows: inkwright-write.exe failed over https" >&2; exit 1; }
kill "$server" && trap - EXIT
grep -q '^# An article' "$build/articles/herb-garden.md" \
    || { echo "windows: inkwright-write.exe did not write herb-garden.md over https" >&2; exit 1; }
echo "windows: inkwright-write.exe wrote them over https with --ca-file, and refused the certificate without it"

# Wine's desktop process takes the display of the first program run: the
# suites ran without one, so they end before the window test starts.
wineserver -k || true
shot=$build/windows.png
tests/e2e/run-wine.sh "$folder" "$shot"
if [ "${1:-}" = --update-docs ]; then cp "$shot" docs/windows.png; fi
echo "windows: Wine tests passed in $((SECONDS - start)) s"
