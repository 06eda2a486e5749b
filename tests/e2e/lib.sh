# Helpers of the end-to-end test: drive the programs through the X server
# only, as a person would, with xdotool, xclip and ImageMagick's import.
# Sourced by drive.sh; expects WORK (scratch folder) and SHOTS (screenshots).

# Every wait polls every 0.1 s and gives up after WAIT_TENTHS tenths.
WAIT_TENTHS=${WAIT_TENTHS:-100}
PROGRAM_PID=""
CLIPBOARD_PID=""
SHOT_COUNT=0
STAGE="start"

note() { printf '  [%s] %s\n' "$STAGE" "$*"; }

stage() {
    STAGE=$1
    printf '\n-- %s\n' "$1"
}

shot() {
    SHOT_COUNT=$((SHOT_COUNT + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$SHOTS" "$SHOT_COUNT" "$1")
    import -window root "$file" 2>/dev/null || true
    LAST_SHOT=$file
}

fail() {
    printf '\nFAILED [%s]: %s\n' "$STAGE" "$*" >&2
    shot "failure-${STAGE}"
    printf 'Visible windows:\n' >&2
    visible_windows | sed 's/^/    /' >&2
    local log
    for log in "$WORK"/*.log; do
        [ -s "$log" ] || continue
        printf 'Output of %s:\n' "$(basename "$log" .log)" >&2
        sed 's/^/    /' "$log" >&2
        cp "$log" "$SHOTS/"
    done
    printf 'Screenshots:\n' >&2
    ls -1 "$SHOTS"/*.png 2>/dev/null | sed 's/^/    /' >&2
    exit 1
}

stop_processes() {
    local pid
    for pid in "$PROGRAM_PID" "$CLIPBOARD_PID"; do
        if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null || true
        fi
    done
    PROGRAM_PID=""
    CLIPBOARD_PID=""
    return 0
}

xdo() {
    timeout 10 xdotool "$@" || fail "xdotool $* did not succeed"
}

# Names of the mapped top-level windows, one a line.
visible_windows() {
    local id
    for id in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        xdotool getwindowname "$id" 2>/dev/null
    done
}

# Prints the id of the mapped window whose title matches the regular
# expression, waiting for it to appear.
wait_window() {
    local pattern=$1 id="" i
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        id=$(xdotool search --onlyvisible --maxdepth 1 --name "$pattern" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            printf '%s\n' "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window titled like '$pattern' appeared"
}

wait_window_gone() {
    local pattern=$1 i
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        xdotool search --onlyvisible --maxdepth 1 --name "$pattern" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window titled like '$pattern' did not close"
}

# Fails when a mapped window matches the pattern right now.
no_window() {
    if xdotool search --onlyvisible --maxdepth 1 --name "$1" >/dev/null 2>&1; then
        fail "unexpected window: $(visible_windows | grep -E -- "$1" | head -n 1)"
    fi
}

# Sets WIN_X WIN_Y WIN_W WIN_H from the window's place on the screen.
window_geometry() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
}

# The window manager is absent, so nothing gives a window the keyboard but
# the test itself: set the X input focus directly.
focus() {
    xdo windowfocus --sync "$1"
}

# Centre of a control, in pixels from its window: the origin of its container
# (pixels) and the control's left, top, width, height in twips.
centre() {
    printf '%d %d\n' $(($1 + $3 / 15 + $5 / 15 / 2)) $(($2 + $4 / 15 + $6 / 15 / 2))
}

# click WINDOW X Y: a left click at a place inside the window.
click() {
    xdo mousemove --window "$1" "$2" "$3"
    xdo click 1
}

type_text() {
    LC_ALL=C.UTF-8 xdo type --delay 20 -- "$1"
}

key() {
    xdo key --clearmodifiers "$@"
}

# answer_box TITLE-PATTERN: waits for the message box, answers it with Return
# and waits until it has closed.
answer_box() {
    local box
    box=$(wait_window "$1")
    shot "box-$(printf '%s' "$1" | tr -cd 'A-Za-z')"
    focus "$box"
    key Return
    wait_window_gone "$1"
}

# Puts the contents of a file on the clipboard, as another program would.
offer_clipboard() {
    local file=$1 i
    xclip -selection clipboard -i -quiet <"$file" >/dev/null 2>&1 &
    CLIPBOARD_PID=$!
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        if timeout 5 xclip -selection clipboard -o -t UTF8_STRING 2>/dev/null | cmp -s - "$file"; then
            return 0
        fi
        sleep 0.1
    done
    fail "xclip could not take the clipboard"
}

# True when the clipboard comes to hold exactly the text within two seconds.
clipboard_becomes() {
    local want="$WORK/typed-want.txt" got="$WORK/typed-got.txt" i
    printf '%s' "$1" >"$want"
    for ((i = 0; i < 20; i++)); do
        if timeout 5 xclip -selection clipboard -o -t UTF8_STRING >"$got" 2>/dev/null \
            && cmp -s "$got" "$want"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# type_into WINDOW X Y TEXT: replaces the text of the single-line box at that
# place and checks, by copying it to the clipboard, that the box holds the
# text. xdotool types a letter that the keyboard map lacks by remapping a
# spare key, and a letter can be lost while the map changes; the box is then
# filled again, at most three times.
type_into() {
    local attempt
    for attempt in 1 2 3; do
        click "$1" "$2" "$3"
        key ctrl+a
        type_text "$4"
        key ctrl+a ctrl+c
        if clipboard_becomes "$4"; then
            key End
            return 0
        fi
        note "the box held '$(cat "$WORK/typed-got.txt")', not '$4' (attempt $attempt)"
    done
    fail "could not type '$4' into the box at $2,$3"
}

# expect_clipboard EXPECTED-FILE NAME: the clipboard, read by another program
# while the program still runs, must equal the file byte for byte.
expect_clipboard() {
    local expected=$1 got="$WORK/clipboard-$2.bin" i
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        if timeout 5 xclip -selection clipboard -o -t UTF8_STRING >"$got" 2>/dev/null \
            && cmp -s "$got" "$expected"; then
            note "clipboard holds $(wc -c <"$got") bytes as expected ($2)"
            return 0
        fi
        sleep 0.1
    done
    {
        printf 'Clipboard (%s) differs from %s:\n' "$2" "$expected"
        cmp "$got" "$expected" || true
        printf -- '--- expected\n'
        od -c "$expected" | head -n 40
        printf -- '--- clipboard\n'
        od -c "$got" | head -n 40
    } >&2
    fail "the clipboard does not hold the expected text ($2)"
}

# expect_file EXPECTED-FILE ACTUAL-FILE: waits until the file exists with
# exactly the expected bytes.
expect_file() {
    local i
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        if [ -f "$2" ] && cmp -s "$2" "$1"; then
            return 0
        fi
        sleep 0.1
    done
    if [ -f "$2" ]; then
        {
            printf -- '--- expected\n'
            od -c "$1"
            printf -- '--- on disk\n'
            od -c "$2"
        } >&2
        fail "$2 does not hold the expected bytes"
    fi
    fail "$2 was not written"
}

# Colour of one pixel of the screen, as srgb(r,g,b).
pixel_at() {
    local file="$WORK/pixel.png"
    import -window root "$file" 2>/dev/null || fail "import could not read the screen"
    convert "$file" -crop "1x1+$1+$2" +repage -format '%[pixel:p{0,0}]' info:
}

# wait_pixel X Y COLOUR: waits until the screen shows the colour there.
wait_pixel() {
    local i colour=""
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        colour=$(pixel_at "$1" "$2")
        [ "$colour" = "$3" ] && return 0
        sleep 0.1
    done
    fail "the screen shows $colour at $1,$2, not $3"
}

# start_program PATH CHECK-X CHECK-Y COLOUR: starts it and waits for its main
# window to be drawn (the colour at the given place of the window); sets MAIN.
start_program() {
    "$1" >"$WORK/$(basename "$1").log" 2>&1 &
    PROGRAM_PID=$!
    MAIN=$(wait_window '^Inkwright$')
    window_geometry "$MAIN"
    MAIN_X=$WIN_X MAIN_Y=$WIN_Y
    [ "$WIN_W" -eq 1123 ] && [ "$WIN_H" -eq 559 ] \
        || fail "the main window is ${WIN_W}x${WIN_H}, not 1123x559"
    wait_pixel $((MAIN_X + $2)) $((MAIN_Y + $3)) "$4"
    focus "$MAIN"
}

# Waits for the program to end by itself and checks that it ended well.
wait_program_end() {
    local i rc
    for ((i = 0; i < WAIT_TENTHS; i++)); do
        kill -0 "$PROGRAM_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program is still running after Close"
    rc=0
    wait "$PROGRAM_PID" || rc=$?
    PROGRAM_PID=""
    [ "$rc" -eq 0 ] || fail "the program ended with status $rc"
}

# Number of colours in a rectangle of the screen (x y width height).
colours_in() {
    local file="$WORK/region.png"
    import -window root "$file" 2>/dev/null || fail "import could not read the screen"
    convert "$file" -crop "${3}x${4}+${1}+${2}" +repage -format '%k' info:
}
