#!/usr/bin/env bash
# Plays the built game against the computer under a virtual display and saves docs/play_alone.png: a
# person on the keyboard as player 1 (walking and throwing), the bot as player 2 closing in and firing.
# Usage: tools/screenshot_bot.sh [output directory, default docs] [build directory, default build/dev]
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
echo "$output/play_alone.png"
