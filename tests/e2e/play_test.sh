#!/usr/bin/env bash
# Plays the built program under a virtual X display with real key and pointer input (the X test
# extension) and checks what happens on screen and on stdout.
# Usage: play_test.sh <path to skirmora> <directory holding Content/Graphics>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
source "$(dirname "$0")/lib.sh"

start_game
sleep 1
# Keys go to the window under the pointer, which the game holds at the window centre until L frees it.
p1x() { meanx "$(shot p1)" blue; }
p2x() { meanx "$(shot p2)" red; }
ups() { grep -c '^up$' "$work/stdout" || true; }

# Up throws player 1's ball upwards; it lives a third of a second, so look for it while holding.
# Released within 71 ticks, the key throws exactly once.
read -r _ x y < <(pixels "$(shot start)" blue)
above_p1="$((${x%.*} - 80)) 0 160 $((${y%.*} + 40))"
# shellcheck disable=SC2086
ball_seen() { holds "$(count "$(shot ball)" red $above_p1) > 500"; }
ids=$(id_lines)
xdotool keydown Up
check "Up throws a ball from player 1" wait_until 0.8 ball_seen
xdotool keyup Up
sleep 0.3
check "Up prints up ($(ups) lines) and one component id" holds "$(ups) > 0 && $(id_lines) == $ids + 1"

# Walk to the lower-left corner: from there a long floor runs right, clear of walls, and as the
# players are farther apart vertically than across, walking right keeps the camera's zoom.
hold s 0.8
hold a 2.2
hold s 2.0
sleep 0.5
before=$(p1x)
hold d 1
sleep 0.5
after=$(p1x)
check "D walks player 1 right (x $before -> $after)" holds "$after > $before + 20"

# A key held while the pointer leaves the window stays held until it is let go. L frees the
# pointer first; the press must reach the window, so the pointer leaves only after it.
hold l 0.15
before=$(p1x)
walked_on() { holds "$(p1x) > $before + 40"; }
xdotool keydown d mousemove 1000 400
check "D held with the pointer outside: player 1 walks on" wait_until 3 walked_on
xdotool keyup d
sleep 0.5
stopped_at=$(p1x)
sleep 0.5
now=$(p1x)
check "D let go outside: player 1 stops (x $stopped_at -> $now)" holds "($now - $stopped_at)^2 < 4"
xdotool mousemove --window "$window" 400 300
hold l 0.15

# The pointer's offset from the centre, where the game warps it back every tick, pushes player 2.
before=$(p2x)
for _ in 1 2 3; do
    xdotool mousemove --window "$window" 440 300
    sleep 0.1
done
moved_right() { holds "$(p2x) > $before + 8"; }
check "pointer right of centre steers player 2 right (from x $before)" wait_until 3 moved_right

hold Escape 0.2
await_exit 5
check "Escape exits with status 1 ($status)" [ "$status" -eq 1 ]
finish
