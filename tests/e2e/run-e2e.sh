#!/usr/bin/env bash
# End-to-end test on Xvfb, as a new user meets the program: with HOME an empty folder,
# ./scripts/run.sh installs into ~/Inkwright and starts InkwrightPlus, driven with the keyboard
# (xdotool) while xclip reads the clipboard. The user then edits a template and adds a product; a
# second ./scripts/run.sh keeps both byte for byte. Screenshots go to build/e2e/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SHOTS=$ROOT/build/e2e

source "$ROOT/tests/e2e/xdo.sh"
expect_clipboard() { # FILE WHAT: the "Done" box is up and the clipboard holds FILE's bytes
    xdotool windowfocus --sync "$(wait_for '^Done$')"
    xclip -o -selection clipboard >"$SHOTS/clipboard"
    cmp -s "$SHOTS/clipboard" "$1" || fail "$2: the clipboard holds $(od -c "$SHOTS/clipboard" | head)"
    keys Return
}
session() { # PROMOTE NAME: one run of ./scripts/run.sh; NAME-all and NAME-one are expected
    "$ROOT/scripts/run.sh" >"$SHOTS/$2.log" 2>&1 &
    local program=$! window
    window=$(wait_for '^Inkwright$')
    xdotool windowfocus --sync "$window"
    xdotool type --delay 20 'herb garden for beginners' && keys Return
    xdotool type --delay 20 'Herb Garden' && keys Tab
    xdotool type --delay 20 'herb garden'
    keys Tab Tab Tab # the Keyword Ideas link, the word count, "Promote Product"
    if [ "$1" = yes ]; then keys space Tab; fi
    keys Tab Tab space Tab space # Manage, Create, and Copy to Clipboard (All)
    expect_clipboard "$SHOTS/$2-all" "Copy All"
    xdotool windowfocus --sync "$window"
    keys Tab Down Tab space # the first entry, Copy to Clipboard (Selected)
    expect_clipboard "$SHOTS/$2-one" "Copy Selected"
    xdotool windowfocus --sync "$window"
    import -window root "$SHOTS/$2.png"
    keys Tab Tab space # the prompt box, Close
    wait "$program" || fail "the program ended with an error (see $SHOTS/$2.log)"
}
if [ "${1:-}" = --session ]; then # a session on the X server that xvfb-run started
    session "$2" "$3"
    exit
fi
xvfb() { xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96 -noreset" "$0" --session "$@"; }

mkdir -p "$SHOTS"
# The build first, so that the sessions' ./scripts/run.sh finds it done.
(cd "$ROOT" && cmake --preset release >/dev/null && cmake --build --preset release --target InkwrightPlus Inkwright inkwright-batch inkwright-write)
HOME=$(mktemp -d "${TMPDIR:-/tmp}/inkwright-home.XXXXXX")
trap 'rm -rf "$HOME"' EXIT
export HOME XDG_RUNTIME_DIR=$HOME/runtime QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
FOLDER=$HOME/Inkwright
expected() { # NAME PRO TOPIC: the two clipboard texts of a session
    local angle=$'About herb garden, focus for beginners.\r\n'"$2"
    printf 'Keyword: %s\r\nPrompt: %s\r\n\r\n' 'herb garden for beginners' "$angle" 'Herb Garden' "$3" \
        >"$SHOTS/$1-all"
    printf '%s' "$angle" >"$SHOTS/$1-one"
}

mkdir -p "$FOLDER/templates"
printf 'About #KEYWORD#. #PRO#Done.' >"$FOLDER/templates/topic.txt"
printf 'About #KEYWORD#, focus #ANGLE#.\n#PRO#' >"$FOLDER/templates/topic-angle.txt"
cp "$FOLDER/templates/topic-angle.txt" "$SHOTS/angle.txt"
expected first '' 'About herb garden. Done.'
xvfb no first

# The user's own files, then a second build and install over them.
printf '%s\r\n%s\r\n%s\r\n%s' 'Herb Guide' ebook 'Teaches herbs' 'a fourth line' >"$FOLDER/products/guide.txt"
printf 'Edited: #KEYWORD#. #PRO#Done.' >"$FOLDER/templates/topic.txt"
cp "$FOLDER/products/guide.txt" "$SHOTS/guide.txt"
pro="In the middle of the article begin preselling the following product: 'Herb Guide'. Product Format: ebook. What it does: Teaches herbs. "
expected second "$pro" "Edited: herb garden. ${pro}Done."
xvfb yes second
cmp -s "$FOLDER/products/guide.txt" "$SHOTS/guide.txt" || fail "the product record changed"
[ "$(cat "$FOLDER/templates/topic.txt")" = 'Edited: #KEYWORD#. #PRO#Done.' ] || fail "the edited template was replaced"
cmp -s "$FOLDER/templates/topic-angle.txt" "$SHOTS/angle.txt" || fail "the angle template was replaced"
echo "end-to-end: both sessions passed; screenshots in $SHOTS"
