#!/usr/bin/env bash
# Drives the installed programs on the X server given by DISPLAY.
#   drive.sh INSTALLED-FOLDER SHOTS-FOLDER [DOCS-FOLDER]
# With DOCS-FOLDER the two screenshots of the user's guide are written there.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true

FOLDER=$1
SHOTS=$2
DOCS=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/inkwright-e2e.XXXXXX")
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

cleanup() {
    local status=$?
    stop_processes
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
# A French keyboard has keys for é and è, so xdotool types them without
# remapping a spare key (a letter can be lost while the map changes; type_into
# checks each box and types again if so).
setxkbmap -layout fr 2>/dev/null || echo "setxkbmap could not choose the French keyboard; going on" >&2
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING DEFAULT_BROWSER

# "Keyword Ideas" goes to the platform's opener: xdg-open where it exists,
# otherwise $BROWSER. Both are stubs here that only record the address.
OPENED="$WORK/opened.txt"
mkdir "$WORK/bin"
for stub in xdg-open browser; do
    printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$OPENED" >"$WORK/bin/$stub"
    chmod +x "$WORK/bin/$stub"
done
export PATH="$WORK/bin:$PATH"
export BROWSER="$WORK/bin/browser"
KEYWORD_IDEAS_ADDRESS=${KEYWORD_IDEAS_ADDRESS:-https://answerthepublic.com/}

NBSP=$'\xc2\xa0'

# ---------------------------------------------------------------------------
# Places of the controls, in pixels from the window's top-left corner, from
# the twips layout of the windows (15 twips to the pixel).

F4=(27 72)    # "Step 1" frame
F3=(462 72)   # "Step 2" frame
PRO=(642 96)  # the promotion strip inside "Step 2"
read -r MAIN_KEYWORD_X MAIN_KEYWORD_Y < <(centre "${F4[@]}" 2385 450 3120 420)
read -r LONG_TAIL_X LONG_TAIL_Y < <(centre "${F4[@]}" 360 1485 5775 4290)
read -r IDEAS_X IDEAS_Y < <(centre "${F4[@]}" 4680 1080 1455 240)
read -r WORDS_X WORDS_Y < <(centre "${F3[@]}" 1935 540 645 375)
read -r CREATE_X CREATE_Y < <(centre "${F3[@]}" 1755 990 6270 645)
read -r COPY_ALL_X COPY_ALL_Y < <(centre "${F3[@]}" 6030 1755 3300 240)
read -r COPY_ONE_X COPY_ONE_Y < <(centre "${F3[@]}" 5985 4185 3255 240)
read -r CLOSE_X CLOSE_Y < <(centre 0 0 6705 7515 3345 600)
read -r PRODUCT_BOX_X PRODUCT_BOX_Y < <(centre "${PRO[@]}" 2610 180 3075 360)
read -r MANAGE_X MANAGE_Y < <(centre "${PRO[@]}" 5715 270 825 240)
read -r _ PROMOTE_Y < <(centre "${PRO[@]}" 270 180 2445 330)
PROMOTE_X=$((PRO[0] + 270 / 15 + 7))          # the check box's box, at its left
FIRST_ENTRY_X=$((F3[0] + 225 / 15 + 120))       # first line of the prompt list
FIRST_ENTRY_Y=$((F3[1] + 2115 / 15 + 9))
# The face of the create button, left of its caption, once it is drawn.
CREATE_GREEN='srgb(192,255,192)'
CREATE_FACE_X=$((F3[0] + 1755 / 15 + 10))
# The strip, without its lowest line, which the create button overlaps.
STRIP=($((PRO[0])) $((PRO[1])) $((6630 / 15)) $((645 / 15 - 1)))

PANEL=(32 53) # the product panel of the manager, placed at load
read -r ADD_NEW_X ADD_NEW_Y < <(centre 0 0 540 900 2670 510)
read -r MANAGER_CLOSE_X MANAGER_CLOSE_Y < <(centre 0 0 2430 5085 3345 600)
read -r NAME_X NAME_Y < <(centre "${PANEL[@]}" 2925 855 4065 465)
read -r FORMAT_X FORMAT_Y < <(centre "${PANEL[@]}" 1440 1530 2130 465)
read -r DESCRIPTION_X DESCRIPTION_Y < <(centre "${PANEL[@]}" 540 2610 6405 465)
read -r FILENAME_X FILENAME_Y < <(centre "${PANEL[@]}" 1620 3240 2400 465)
read -r SAVE_X SAVE_Y < <(centre "${PANEL[@]}" 450 4230 3075 600)
read -r CANCEL_X CANCEL_Y < <(centre "${PANEL[@]}" 3690 4230 3075 600)

# ---------------------------------------------------------------------------
# Steps a person takes in the main window.

fill_line() { # X Y TEXT: replaces the text of a single-line box
    type_into "$MAIN" "$1" "$2" "$3"
}

paste_keywords() { # FILE: the long-tail keywords, pasted from the clipboard
    offer_clipboard "$1"
    click "$MAIN" "$LONG_TAIL_X" "$LONG_TAIL_Y"
    key ctrl+a
    key ctrl+v
}

create_batch() {
    click "$MAIN" "$CREATE_X" "$CREATE_Y"
}

pick_first_entry() {
    click "$MAIN" "$FIRST_ENTRY_X" "$FIRST_ENTRY_Y"
}

copy_selected() { # EXPECTED-FILE NAME
    click "$MAIN" "$COPY_ONE_X" "$COPY_ONE_Y"
    wait_window '^Done' >/dev/null
    expect_clipboard "$1" "$2"
    answer_box '^Done'
    focus "$MAIN"
}

copy_all() { # EXPECTED-FILE NAME
    click "$MAIN" "$COPY_ALL_X" "$COPY_ALL_Y"
    wait_window '^Done' >/dev/null
    expect_clipboard "$1" "$2"
    answer_box '^Done'
    focus "$MAIN"
}

close_main_window() {
    focus "$MAIN"
    click "$MAIN" "$CLOSE_X" "$CLOSE_Y"
    wait_program_end
}

# The "Copy to Clipboard (All)" text of prompts given as keyword, prompt pairs.
all_prompts() {
    while [ $# -gt 0 ]; do
        printf 'Keyword: %s\r\nPrompt: %s\r\n\r\n' "$1" "$2"
        shift 2
    done
}

# ---------------------------------------------------------------------------
# The screenshots of the user's guide, with the templates the program ships.

stage "guide screenshots (shipped templates)"
rm -f "$FOLDER"/products/*.txt
printf 'Herb Garden Guide\r\nebook\r\nTeaches beginners to grow herbs on a windowsill' \
    >"$FOLDER/products/herb-guide.txt"
printf '%s\r\n' 'herb garden for beginners' 'indoor herb garden ideas' 'herb garden on a balcony' \
    'best herbs for a small herb garden' >"$WORK/guide-keywords.txt"

# The prompt the shipped angle template gives for "herb garden for beginners".
IFS= read -r -d '' shipped_angle <"$FOLDER/templates/topic-angle.txt" || true
prompt=${shipped_angle//"#KEYWORD#"/"herb garden"}
prompt=${prompt//"#ANGLE#"/"for beginners"}
prompt=${prompt//"#WORDS#"/"400"}
prompt=${prompt//"#PRO#"/}
printf '%s' "$prompt" >"$WORK/guide-prompt.txt"
[ -s "$WORK/guide-prompt.txt" ] || fail "the shipped angle template is empty"

start_program "$FOLDER/InkwrightPlus" "$CREATE_FACE_X" "$CREATE_Y" "$CREATE_GREEN"
shot started
fill_line "$MAIN_KEYWORD_X" "$MAIN_KEYWORD_Y" "herb garden"
paste_keywords "$WORK/guide-keywords.txt"
create_batch
pick_first_entry
copy_selected "$WORK/guide-prompt.txt" guide-selected
shot main-window
GUIDE_MAIN="$LAST_SHOT"
GUIDE_X=$MAIN_X GUIDE_Y=$MAIN_Y

click "$MAIN" "$MANAGE_X" "$MANAGE_Y"
MANAGER=$(wait_window '^Pro Settings')
window_geometry "$MANAGER"
GUIDE_MANAGER_BOX="$((WIN_X - MAIN_X)),$((WIN_Y - MAIN_Y)) $((WIN_X - MAIN_X + WIN_W - 1)),$((WIN_Y - MAIN_Y + WIN_H - 1))"
focus "$MANAGER"
click "$MANAGER" "$ADD_NEW_X" "$ADD_NEW_Y"
type_into "$MANAGER" "$NAME_X" "$NAME_Y" "Herb Garden Guide"
type_into "$MANAGER" "$FORMAT_X" "$FORMAT_Y" "ebook"
type_into "$MANAGER" "$DESCRIPTION_X" "$DESCRIPTION_Y" "Teaches beginners to grow herbs on a windowsill"
type_into "$MANAGER" "$FILENAME_X" "$FILENAME_Y" "herb-garden-guide"
shot product-manager-adding
GUIDE_MANAGER="$LAST_SHOT"
click "$MANAGER" "$CANCEL_X" "$CANCEL_Y"
click "$MANAGER" "$MANAGER_CLOSE_X" "$MANAGER_CLOSE_Y"
wait_window_gone '^Pro Settings'
[ ! -e "$FOLDER/products/herb-garden-guide.txt" ] || fail "Cancel wrote a record"
close_main_window

if [ -n "$DOCS" ]; then
    png_options=(-strip -define "png:exclude-chunks=date,time")
    convert "$GUIDE_MAIN" -crop "1123x559+${GUIDE_X}+${GUIDE_Y}" +repage \
        "${png_options[@]}" "$DOCS/main-window.png"
    # Without a window manager no frame is drawn: outline the manager window.
    convert "$GUIDE_MANAGER" -crop "1123x559+${GUIDE_X}+${GUIDE_Y}" +repage \
        -fill none -stroke 'rgb(64,0,64)' -strokewidth 1 -draw "rectangle $GUIDE_MANAGER_BOX" \
        "${png_options[@]}" "$DOCS/product-manager.png"
    note "wrote $DOCS/main-window.png and $DOCS/product-manager.png"
fi
rm -f "$FOLDER"/products/*.txt

# ---------------------------------------------------------------------------
# The test's own templates and records: CR LF line breaks, accented and
# non-Latin letters, a no-break space, placeholders used twice.

printf 'Écrivez un article d’environ #WORDS# mots sur «%s#KEYWORD#%s».\r\n#PRO#Ton : amical — 日本語 OK.\r\nFin.' \
    "$NBSP" "$NBSP" >"$FOLDER/templates/topic.txt"
printf 'Schreiben Sie über #KEYWORD# mit dem Blickwinkel „#ANGLE#“ (#WORDS# Wörter).\r\n#PRO#Ελληνικά και русский.\r\nEnde: #KEYWORD#.' \
    >"$FOLDER/templates/topic-angle.txt"
printf 'Zeta Tea Handbook\r\nvideo course\r\nShows how to brew green tea' >"$FOLDER/products/zeta-tea.txt"

MAIN_KEYWORD="Café Crème"
WORDS=650
printf '%s\r\n%s\r\n%s\r\n%s' 'café crème recipe' 'CAFÉ CRÈME' 'best café crème in Zürich' 'Кофе café crème' \
    >"$WORK/keywords.txt"

# The prompts, with the angles worked out by hand: the lower-cased keyword
# without the lower-cased main keyword, trimmed.
topic_prompt() { # PROMOTION
    printf 'Écrivez un article d’environ %s mots sur «%s%s%s».\r\n%sTon : amical — 日本語 OK.\r\nFin.' \
        "$WORDS" "$NBSP" "$MAIN_KEYWORD" "$NBSP" "$1"
}
angle_prompt() { # ANGLE PROMOTION
    printf 'Schreiben Sie über %s mit dem Blickwinkel „%s“ (%s Wörter).\r\n%sΕλληνικά και русский.\r\nEnde: %s.' \
        "$MAIN_KEYWORD" "$1" "$WORDS" "$2" "$MAIN_KEYWORD"
}
promotion() { # NAME FORMAT DESCRIPTION
    printf "In the middle of the article begin preselling the following product: '%s'. Product Format: %s. What it does: %s. " \
        "$1" "$2" "$3"
}
batch_text() { # PROMOTION
    all_prompts \
        'café crème recipe' "$(angle_prompt 'recipe' "$1")" \
        'CAFÉ CRÈME' "$(topic_prompt "$1")" \
        'best café crème in Zürich' "$(angle_prompt 'best  in zürich' "$1")" \
        'Кофе café crème' "$(angle_prompt 'кофе' "$1")"
}

CREME=$(promotion 'Crème Guide' 'e-book' 'Teaches baristas to make café crème at home')
ZETA=$(promotion 'Zeta Tea Handbook' 'video course' 'Shows how to brew green tea')
angle_prompt 'recipe' '' >"$WORK/first.txt"
topic_prompt '' >"$WORK/second.txt"
batch_text '' >"$WORK/all.txt"
batch_text "$CREME" >"$WORK/all-creme.txt"
angle_prompt 'recipe' "$ZETA" >"$WORK/first-zeta.txt"

# ---------------------------------------------------------------------------
stage "batch and clipboard (InkwrightPlus)"
start_program "$FOLDER/InkwrightPlus" "$CREATE_FACE_X" "$CREATE_Y" "$CREATE_GREEN"
shot started
PLUS_STRIP_COLOURS=$(colours_in $((MAIN_X + STRIP[0])) $((MAIN_Y + STRIP[1])) "${STRIP[2]}" "${STRIP[3]}")

xprop -id "$MAIN" _NET_WM_ICON | grep -q '^_NET_WM_ICON(CARDINAL) = ' \
    || fail "the main window has no icon"
create_batch
answer_box '^Missing Info'
focus "$MAIN"
fill_line "$MAIN_KEYWORD_X" "$MAIN_KEYWORD_Y" "$MAIN_KEYWORD"
paste_keywords "$WORK/keywords.txt"
fill_line "$WORDS_X" "$WORDS_Y" "$WORDS"
create_batch
pick_first_entry
shot batch
copy_selected "$WORK/first.txt" selected-first
# Back to the list, one entry down with the keyboard: the topic prompt, whose
# no-break spaces must reach the clipboard as they are.
pick_first_entry
key Down
copy_selected "$WORK/second.txt" selected-second
copy_all "$WORK/all.txt" all
shot copied

stage "keyword ideas"
click "$MAIN" "$IDEAS_X" "$IDEAS_Y"
for ((i = 0; i < WAIT_TENTHS; i++)); do
    [ -s "$OPENED" ] && break
    sleep 0.1
done
[ -s "$OPENED" ] || fail "no address was handed to the browser"
printf '%s\n' "$KEYWORD_IDEAS_ADDRESS" >"$WORK/opened-expected.txt"
cmp -s "$OPENED" "$WORK/opened-expected.txt" || fail "the browser was asked to open: $(cat "$OPENED")"
note "the browser was asked to open $KEYWORD_IDEAS_ADDRESS"
no_window '^(Missing Info|Done|Error)'

stage "product manager"
focus "$MAIN"
click "$MAIN" "$MANAGE_X" "$MANAGE_Y"
MANAGER=$(wait_window '^Pro Settings')
window_geometry "$MANAGER"
[ "$WIN_W" -eq 574 ] && [ "$WIN_H" -eq 421 ] || fail "the product manager is ${WIN_W}x${WIN_H}, not 574x421"
shot manager
focus "$MANAGER"
click "$MANAGER" "$ADD_NEW_X" "$ADD_NEW_Y"
type_into "$MANAGER" "$NAME_X" "$NAME_Y" "Crème Guide"
type_into "$MANAGER" "$FORMAT_X" "$FORMAT_Y" "e-book"
type_into "$MANAGER" "$DESCRIPTION_X" "$DESCRIPTION_Y" "Teaches baristas to make café crème at home"
type_into "$MANAGER" "$FILENAME_X" "$FILENAME_Y" "crème-guide"
shot adding
click "$MANAGER" "$SAVE_X" "$SAVE_Y"
printf 'Crème Guide\r\ne-book\r\nTeaches baristas to make café crème at home' >"$WORK/record.txt"
expect_file "$WORK/record.txt" "$FOLDER/products/crème-guide.txt"
note "the record's bytes on disk are as typed, with CR LF between the lines"
shot saved
click "$MANAGER" "$MANAGER_CLOSE_X" "$MANAGER_CLOSE_Y"
wait_window_gone '^Pro Settings'
no_window '^(Missing Info|Done|Error|Ooops|Invalid File)'

stage "batch with a promoted product"
focus "$MAIN"
click "$MAIN" "$PROMOTE_X" "$PROMOTE_Y"
# After the save the product box shows the first record: the new one.
create_batch
pick_first_entry
shot promoted
copy_all "$WORK/all-creme.txt" all-promoted
# The box offers the other record too: the next item, with the keyboard.
click "$MAIN" "$PRODUCT_BOX_X" "$PRODUCT_BOX_Y"
key Down
create_batch
pick_first_entry
copy_selected "$WORK/first-zeta.txt" selected-promoted-other
shot promoted-other
close_main_window

stage "basic edition (Inkwright)"
start_program "$FOLDER/Inkwright" "$CREATE_FACE_X" "$CREATE_Y" "$CREATE_GREEN"
shot started
basic_colours=$(colours_in $((MAIN_X + STRIP[0])) $((MAIN_Y + STRIP[1])) "${STRIP[2]}" "${STRIP[3]}")
[ "$PLUS_STRIP_COLOURS" -gt 1 ] || fail "the promotion strip of InkwrightPlus looked empty"
[ "$basic_colours" -eq 1 ] || fail "the place of the promotion strip shows $basic_colours colours, not plain background"
note "the promotion strip is absent (${basic_colours} colour there, ${PLUS_STRIP_COLOURS} in InkwrightPlus)"
# Where "Promote Product" and "Manage" would be, clicks do nothing.
click "$MAIN" "$PROMOTE_X" "$PROMOTE_Y"
click "$MAIN" "$MANAGE_X" "$MANAGE_Y"
fill_line "$MAIN_KEYWORD_X" "$MAIN_KEYWORD_Y" "$MAIN_KEYWORD"
paste_keywords "$WORK/keywords.txt"
fill_line "$WORDS_X" "$WORDS_Y" "$WORDS"
create_batch
pick_first_entry
copy_all "$WORK/all.txt" basic-all
no_window '^Pro Settings'
shot basic
close_main_window

stage "done"
note "all stages passed"
