#!/usr/bin/env bash
# Plays the built game under a virtual display and saves three pictures of its 800 x 600 window:
# arena.png three seconds after start, match.png of a match under way (player 1 walked and
# throwing its ball, player 2 steered and firing), and play_alone.png of a person on the keyboard
# against the computer as player 2, closing in and firing. tests/e2e/startup_test.sh compares the overlay
# against arena.png, so remake it whenever the overlay's look changes on purpose.
# Usage: tools/screenshot_game.sh [output directory, default docs] [build directory, default build/dev]
# Needs xvfb-run, xdotool and ImageMagick.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs}")
build=$(realpath -m "${2:-$root/build/dev}")
program=$build/session/skirmora
content_root=$root
source "$root/tests/e2e/lib.sh"

cmake --build "$build" --target skirmora >/dev/null
mkdir -p "$output"
start_game

sleep 3
cp "$(shot arena)" "$output/arena.png"

hold s 0.3
# Two nudges up and to the left of the centre, where the game holds the pointer.
for _ in 1 2; do
    xdotool mousemove --window "$window" 385 285
    sleep 0.1
done
xdotool mousedown 1
sleep 0.8
xdotool mouseup 1
# The ball lives a third of a second: catch it in flight (it adds red to the left half).
ball_in_flight() { holds "$(count "$(shot match)" red 0 0 400 600) > 500"; }
xdotool keydown Up
wait_until 2 ball_in_flight || true
xdotool keyup Up
cp "$work/match.png" "$output/match.png"
hold Escape 0.2
await_exit 5

start_game --player2 bot
sleep 0.4
hold d 0.25
# Both players in view (the bot opens fire within a second), then a ball thrown upwards in the shot.
lively() {
    local image
    image=$(shot play_alone)
    holds "$(count "$image" blue) > 200 && $(count "$image" red) > 200"
}
wait_until 4 lively || true
xdotool keydown Up
sleep 0.15
xdotool keyup Up
cp "$(shot play_alone)" "$output/play_alone.png"
hold Escape 0.2
await_exit 5
echo "$output/arena.png $output/match.png $output/play_alone.png"
