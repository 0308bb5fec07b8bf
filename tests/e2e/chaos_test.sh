#!/usr/bin/env bash
# Abuses the built program under a virtual X display with real input and window changes: random
# keys, pointer motion far off the screen too, clicks and resizes to extreme sizes, then every game
# key held at once. It must keep drawing, with nothing from the sanitizers, and quit on Escape (1).
# Usage: chaos_test.sh <path to skirmora> <repository root>
# CHAOS_SECONDS sets the random part's length (default 20); CHAOS_SEED fixes its input (the seed in
# use is printed).
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
seconds=${CHAOS_SECONDS:-20}
# A black root window: whatever lights the window's pixels after a resize was drawn by the program.
xvfb_options=-br
source "$(dirname "$0")/lib.sh"

seed=${CHAOS_SEED:-$RANDOM}
RANDOM=$seed
echo "seed $seed"
# Escape, the twelfth key, ends the game; it is pressed last.
keys=(w a s d Up Down Left Right l p o)
sizes=("1 1" "1 10000" "10000 1" "800 600")

# x <xdotool arguments...>: input or a window change that the X server must accept.
x() { xdotool "$@" || fail "xdotool $* was refused"; }
release_everything() {
    x keyup "${keys[@]}"
    x mouseup 1 mouseup 2 mouseup 3
}
# The usual window, the pointer at its centre (keys go to the window under the pointer).
restore() {
    x windowmove "$window" 0 0 windowsize "$window" 800 600
    x mousemove 400 300
    sleep 0.3
}
# A fresh shot of the window shows the arena lit and the overlay's labels white.
drawn_after_resize() {
    local image
    image=$(shot drawn)
    holds "$(count "$image" lit 0 0 800 550) > 1000 && $(count "$image" white 10 578 30 15) > 12 &&
        $(count "$image" white 250 578 27 15) > 12"
}

start_game
sleep 1
restore

# Random input for the given seconds, resizes to extreme sizes and back among it. X cannot make a
# window 0 pixels wide or high (the protocol refuses it, and xdotool leaves a side of 0 unchanged),
# so 1 is the least that arrives.
end=$((SECONDS + seconds))
actions=0
while ((SECONDS < end)) && alive; do
    case $((RANDOM % 12)) in
    0 | 1 | 2) x keydown "${keys[RANDOM % ${#keys[@]}]}" ;;
    3 | 4) x keyup "${keys[RANDOM % ${#keys[@]}]}" ;;
    # X keeps the pointer on the screen, so far-off positions land on its edges.
    5 | 6) x mousemove -- $((RANDOM % 3000 - 1000)) $((RANDOM % 3000 - 1000)) ;;
    7) x mousemove_relative -- $((RANDOM % 201 - 100)) $((RANDOM % 201 - 100)) ;;
    8) x click $((RANDOM % 5 + 1)) ;;
    9) if ((RANDOM % 2)); then x mousedown 1; else x mouseup 1; fi ;;
    10 | 11)
        # shellcheck disable=SC2086
        x windowsize "$window" ${sizes[RANDOM % ${#sizes[@]}]}
        ;;
    esac
    actions=$((actions + 1))
    sleep "0.0$((RANDOM % 5))"
done
release_everything
check "$actions random actions over $seconds s: still running" alive
restore

# Still drawing: shrunk to a pixel and grown again, the window is black until the program redraws
# it, with the arena and the overlay's labels (player 1's and the frame rate's).
x windowsize "$window" 1 1
sleep 0.3
x windowsize "$window" 800 600
check "redrawn after 1 x 1 and back to 800 x 600" wait_until 5 drawn_after_resize

# All twelve keys at once: Escape among them ends the game, with its own status. With no window manager
# keys go to the window under the pointer, which P and O held together can move the window away from.
x windowfocus "$window"
x keydown "${keys[@]}" Escape
await_exit 20
check "all twelve keys held: Escape exits with status 1 ($status)" [ "$status" = 1 ]
reports=$(sanitizer_reports)
check "no sanitizer report${reports:+: $reports}" [ -z "$reports" ]
[[ -z $reports ]] || tail -n 40 "$work/stderr"
finish
