#!/usr/bin/env bash
# The Windows InkwrightPlus.exe under Wine on Xvfb, driven with the keyboard: a batch of two
# keywords is copied whole and the clipboard checked, then a screenshot. Run by scripts/windows.sh
# as: run-wine.sh FOLDER SCREENSHOT (FOLDER holds the unpacked programs; WINEPREFIX is set up).
set -euo pipefail
source "$(dirname "$0")/xdo.sh"
if [ "${1:-}" != --on-xvfb ]; then
    printf 'About #KEYWORD#. Done.' >"$1/templates/topic.txt"
    printf 'About #KEYWORD#, focus #ANGLE#.' >"$1/templates/topic-angle.txt"
    exec xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$0" --on-xvfb "$@"
fi
wine "$2/InkwrightPlus.exe" >"$2/wine.log" 2>&1 &
window=$(wait_for '^Inkwright$')
xdotool windowmove --sync "$window" 0 0 windowfocus --sync "$window"
xdotool type --delay 40 'herb garden for beginners' && keys Return
xdotool type --delay 40 'Herb Garden' && keys Tab && xdotool type --delay 40 'herb garden'
keys Tab Tab Tab Tab Tab space Tab Tab Down # Keyword Ideas, words, Promote, Manage, Create, the list
sleep 1 && import -window "$window" "$3"
keys shift+Tab space # Copy to Clipboard (All)
xdotool windowfocus --sync "$(wait_for '^Done$')"
# Wine hands CR LF text to X with LF line breaks.
expected=$(printf 'Keyword: %s\nPrompt: %s\n\n' 'herb garden for beginners' \
    'About herb garden, focus for beginners.' 'Herb Garden' 'About herb garden. Done.' | od -c)
[ "$(xclip -o -selection clipboard | od -c)" = "$expected" ] || fail "clipboard: $(xclip -o -selection clipboard)"
keys Return
xdotool windowfocus --sync "$window" && keys Tab Tab Tab Tab space # the list, Copy Selected, the prompt box, Close
timeout 30 wineserver -w || fail "InkwrightPlus.exe did not close (see $2/wine.log)"
echo "wine end-to-end: the batch reached the clipboard; screenshot $3"
