# Sourced by the end-to-end scripts: fail (with a screenshot into $SHOTS when it is set), keys, and
# wait_for NAME, the id of the shown window whose title matches NAME.
fail() {
    echo "$(basename "$0"): $*" >&2
    [ -z "${SHOTS:-}" ] || import -window root "$SHOTS/failed.png" 2>/dev/null || true
    exit 1
}
keys() { xdotool key --delay 60 "$@"; }
wait_for() {
    for _ in $(seq 900); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep . && return 0
        sleep 0.1
    done
    fail "no window named '$1'"
}
