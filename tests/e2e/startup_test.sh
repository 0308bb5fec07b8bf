#!/usr/bin/env bash
# Runs the built program under a virtual X display and checks what it prints and shows.
# Usage: startup_test.sh <path to skirmora> <repository root, holding Content/Graphics and docs>
#                        <path to close_window>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
close_window=$(realpath "$3")
source "$(dirname "$0")/lib.sh"

# Without a display, unset or empty, the program says what to do instead of a toolkit error.
clear_message() { grep -q 'display' "$1" && grep -q 'xvfb-run' "$1"; }
for no_display in "-u DISPLAY" "DISPLAY="; do
    # shellcheck disable=SC2086 # "-u DISPLAY" is two words
    ! (cd "$content_root" && env $no_display "$program" >"$work/nodisplay.out" 2>"$work/nodisplay.err") &&
        check "env $no_display: clear message, non-zero exit" clear_message "$work/nodisplay.err" ||
        fail "started with env $no_display"
done

start_game
pass "window titled Skirmora"
geometry=$(xdotool getwindowgeometry "$window")
check "window at (0, 0)" grep -q 'Position: 0,0' <<<"$geometry"
check "window 800 x 600" grep -q 'Geometry: 800x600' <<<"$geometry"

# By three seconds the camera has settled on both players at their start positions.
sleep 3
arena=$(shot arena)

expected=$'base init\nder init\ngets called\nhere you are\nafter this\n0'
check "start-up lines, then the first component id" [ "$(head -n 6 "$work/stdout")" = "$expected" ]
check "every image loaded" holds "$(grep -c 'loading image unsuccessful' "$work/stdout" || true) == 0"

# Walls are outlines: lit along their faces (the centre octagon's sides, the bars beside the
# players, the slab above the octagon), dark inside and on the open floor.
for face in "305 270 12 60" "483 270 12 60" "155 275 12 50" "633 275 12 50" "360 106 80 12"; do
    # shellcheck disable=SC2086
    n=$(count "$arena" white $face)
    check "wall face at $face ($n white pixels)" holds "$n >= 150"
done
inside=$(count "$arena" lit 340 240 120 120)
floor=$(count "$arena" lit 245 240 50 120)
check "wall insides ($inside lit) and open floor ($floor lit) are dark" holds "$inside + $floor == 0"

# Each player is a disc of its own colour at its start position.
read -r n x y < <(pixels "$arena" blue)
check "blue player 1: $n pixels around ($x, $y)" holds "$n > 150 && $n < 400 && ($x - 222)^2 + ($y - 300)^2 < 36"
read -r n x y < <(pixels "$arena" red)
check "red player 2: $n pixels around ($x, $y)" holds "$n > 150 && $n < 400 && ($x - 578)^2 + ($y - 300)^2 < 36"

# Player 2's sight: a one-pixel white line from the disc up to the wall above, not beyond it.
read -r n x _ < <(pixels "$arena" white 570 190 17 91)
beyond=$(count "$arena" white 570 110 17 60)
check "sight line: $n pixels at x $x below the wall, $beyond beyond it" \
    holds "$n >= 85 && $n <= 182 && ($x - 578)^2 < 9 && $beyond == 0"

# The overlay's values (0 and 100, 0 and 200) drawn exactly as in the README's screenshot, which was taken the
# same way (where its labels go is tests/render_test.cpp's).
for values in "43x34+88+560" "43x34+628+560"; do
    convert "$arena" -crop "$values" +repage "$work/values.png"
    convert "$content_root/docs/arena.png" -crop "$values" +repage "$work/reference.png"
    differing=$(compare -metric AE "$work/values.png" "$work/reference.png" null: 2>&1) || true
    lit=$(count "$work/values.png" white 0 0 43 34)
    check "overlay values at $values as in docs/arena.png ($differing pixels differ)" \
        holds "$differing == 0 && $lit > 50"
done

# The desktop's close button ends the game with status 0; a sanitizer build finds no leak then either.
"$close_window" "$window"
await_exit 5
check "closed by the desktop: status 0 ($status)" [ "$status" = 0 ]
check "no sanitizer report" [ -z "$(sanitizer_reports)" ]

finish
