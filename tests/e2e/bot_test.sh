#!/usr/bin/env bash
# A person against the computer in the real window, under a virtual X display: keys for player 1
# against the bot as player 2, then the mouse for player 2 against the bot as player 1. The bot must
# move and fire, and the screen must show both players.
# Usage: bot_test.sh <path to skirmora> <directory holding Content/Graphics>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
source "$(dirname "$0")/lib.sh"

# Both players drawn (a dead player is hidden until it respawns, some four seconds later).
both_shown() {
    local image
    image=$(shot both)
    holds "$(count "$image" blue) > 100 && $(count "$image" red) > 100"
}

start_game --player2 bot:easy
sleep 1
check "player 1 and the bot as player 2 both on screen" wait_until 3 both_shown
# Player 1 stands still, so the bot's own motion is what moves it on screen (the camera follows both).
read -r x0 y0 < <(where red)
ids=$(id_lines)
check "the bot as player 2 moves" wait_until 4 moves red
# Each bullet adds two component ids; player 1 throws nothing.
fired() { holds "$(id_lines) >= $ids + 4"; }
check "the bot as player 2 fires" wait_until 6 fired
# The person plays on, once player 1 is back if the bot has shot it: throws upwards at once (the
# bot needs about two seconds to shoot a player standing still), then walks.
check "both on screen" wait_until 8 both_shown
xdotool keydown Up
sleep 0.3
xdotool keyup Up
hold s 0.3
hold a 0.3
check "the person's keys play player 1" holds "$(grep -c '^up$' "$work/stdout") > 0"
hold Escape 0.2
await_exit 5
check "Escape exits with status 1 ($status)" [ "$status" -eq 1 ]

start_game --player1 bot:hard:5
sleep 1
check "the bot as player 1 and player 2 both on screen" wait_until 3 both_shown
read -r x0 y0 < <(where blue)
# The person nudges player 2 to the right, then lets it coast; the bot keeps away and lines up throws.
for _ in 1 2 3; do
    xdotool mousemove --window "$window" 430 300
    sleep 0.1
done
ids=$(id_lines)
xdotool mousedown 1
sleep 0.6
xdotool mouseup 1
check "the bot as player 1 moves" wait_until 4 moves blue
check "the person's button fires player 2's bullets" holds "$(id_lines) >= $ids + 4"
check "both still on screen" wait_until 8 both_shown
hold Escape 0.2
await_exit 5
check "Escape exits with status 1 ($status)" [ "$status" -eq 1 ]
finish
