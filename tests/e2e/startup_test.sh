#!/usr/bin/env bash
# Runs the built program the way a player does, under a virtual X display, and checks what it
# prints and what its window shows.
# Usage: startup_test.sh <path to skirmora> <directory holding Content/Graphics>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")

# Re-run inside a fresh virtual display unless one was handed to us.
if [[ -z "${SKIRMORA_IN_XVFB:-}" ]]; then
    export SKIRMORA_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${game_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Without a display the program explains what to do instead of failing with a toolkit error.
if (cd "$content_root" && env -u DISPLAY "$program" >"$work/nodisplay.out" 2>"$work/nodisplay.err"); then
    fail "started without a display"
elif grep -q 'xvfb-run' "$work/nodisplay.err" && grep -q 'display' "$work/nodisplay.err"; then
    pass "no display: clear message"
else
    fail "no display: unclear message: $(cat "$work/nodisplay.err")"
fi

(cd "$content_root" && exec "$program") >"$work/stdout" 2>"$work/stderr" &
game_pid=$!

window=$(timeout 20 xdotool search --sync --name '^Skirmora$' | head -n 1) || true
if [[ -z "$window" ]]; then
    fail "no window titled Skirmora appeared"
    cat "$work/stderr"
    exit 1
fi
pass "window titled Skirmora"

geometry=$(xdotool getwindowgeometry "$window")
grep -q 'Position: 0,0' <<<"$geometry" && pass "window at (0, 0)" || fail "window position: $geometry"
grep -q 'Geometry: 800x600' <<<"$geometry" && pass "window 800 x 600" || fail "window size: $geometry"

# Let it tick and draw for a while, with some input thrown at it.
sleep 1
xdotool mousemove --window "$window" 500 200 || true
xdotool keydown --window "$window" w keyup --window "$window" w || true
xdotool click --window "$window" 1 || true
sleep 1
kill -0 "$game_pid" 2>/dev/null && pass "still running after two seconds of input" || fail "the program ended"

expected=$'base init\nder init\ngets called\nhere you are\nafter this'
actual=$(head -n 5 "$work/stdout")
[[ "$actual" == "$expected" ]] && pass "start-up lines in order" || fail "start-up lines: $(printf '%q' "$actual")"
grep -q 'loading image unsuccessful' "$work/stdout" && fail "an image failed to load" || pass "every image loaded"

# The overlay is drawn from the lower-left corner: its labels must light pixels there, and the
# rest of the empty arena must stay black.
import -window "$window" "$work/shot.png"
lit_pixels() { # x y width height: count of non-black pixels in that region (top-left origin)
    convert "$work/shot.png" -crop "$3x$4+$1+$2" +repage -threshold 10% -format '%[fx:mean*w*h]' info:
}
overlay=$(lit_pixels 10 570 80 20)
arena=$(lit_pixels 300 200 200 200)
awk -v n="$overlay" 'BEGIN { exit !(n > 20) }' && pass "overlay drawn ($overlay lit pixels)" || fail "no overlay at the lower left"
awk -v n="$arena" 'BEGIN { exit !(n == 0) }' && pass "empty arena is black" || fail "arena has $arena lit pixels"

kill "$game_pid"
wait "$game_pid" 2>/dev/null || true
echo "$failures failed"
[[ $failures -eq 0 ]]
