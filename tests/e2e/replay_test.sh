#!/usr/bin/env bash
# Records a match of the built program under a virtual X display, played with random real input,
# then checks that it replays headless to the very same game lines, that a live Escape still
# ends a replay on screen, that one watched to its end says so once and stands there, and that a
# recording the disk refuses ends in one message, not the match.
# Usage: replay_test.sh <path to skirmora> <repository root> [seconds of play, default 12]
# REPLAY_SEED fixes the random input (the seed in use is printed).
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
seconds=${3:-12}
source "$(dirname "$0")/lib.sh"

keys=(w a s d Up Down Left Right l p o)
# Random input for the given seconds: keys down and up (the window keys included, so the window
# goes full screen and back), pointer motion inside and outside the window, button presses.
play() {
    local end=$((SECONDS + $1))
    while ((SECONDS < end)); do
        case $((RANDOM % 6)) in
        0 | 1) xdotool keydown "${keys[RANDOM % ${#keys[@]}]}" ;;
        2) xdotool keyup "${keys[RANDOM % ${#keys[@]}]}" ;;
        3) xdotool mousemove_relative -- $((RANDOM % 81 - 40)) $((RANDOM % 81 - 40)) ;;
        4) xdotool mousemove $((RANDOM % 1024)) $((RANDOM % 768)) ;;
        5) if ((RANDOM % 2)); then xdotool mousedown 1; else xdotool mouseup 1; fi ;;
        esac
        sleep "0.0$((RANDOM % 10))"
    done
    xdotool keyup "${keys[@]}"
    xdotool mouseup 1
}
# Escape quits at the next tick, if the window has the keyboard: it follows the pointer.
press_escape() {
    xdotool mousemove 400 300
    hold Escape 0.3
}
# game_lines <output>: what the game printed after its start-up lines.
game_lines() {
    awk 'started || !/^(base init|der init|gets called|here you are|after this)$/ { started = 1; print }' "$1"
}

seed=${REPLAY_SEED:-$((RANDOM * 32768 + RANDOM))}
echo "random input seed $seed, $seconds s of play"
RANDOM=$seed

start_game --record "$work/match.replay"
play "$seconds"
press_escape
await_exit 5
check "Escape ends the recorded match with status 1 ($status)" [ "$status" = 1 ]
ticks=$(grep -c '^tick ' "$work/match.replay" || true)
game_lines "$work/stdout" >"$work/recorded.lines"

# Headless: no display, run from elsewhere (no images), as fast as it goes.
started=$EPOCHREALTIME
(cd "$work" && env -u DISPLAY "$program" --headless --replay match.replay >headless.out 2>headless.err) &&
    status=0 || status=$?
elapsed=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
check "headless replay of $ticks ticks: status 0 ($status) in $elapsed s" [ "$status" = 0 ]
game_lines "$work/headless.out" >"$work/headless.lines"
summary=$(tail -n 1 "$work/headless.lines")
check "$summary" [ "${summary#replay ended after $ticks ticks:}" != "$summary" ]
head -n -1 "$work/headless.lines" >"$work/headless.game"
check "headless replay prints the recorded game lines ($(wc -l <"$work/recorded.lines") lines)" \
    cmp -s "$work/headless.game" "$work/recorded.lines"

start_game --replay "$work/match.replay"
sleep 1
press_escape
await_exit 5
check "live Escape ends an on-screen replay with status 1 ($status)" [ "$status" = 1 ]

# Watched to its end at 8x (Up three times): its last word once, standing there until Escape leaves with 0.
start_game --replay "$work/match.replay"
xdotool mousemove 400 300
sleep 0.5
xdotool key Up sleep 0.15 key Up sleep 0.15 key Up
check "an on-screen replay watched to its end says so" wait_until 10 grep -q "^replay ended after $ticks ticks:" "$work/stdout"
sleep 0.5
check "and stands there" alive
press_escape
await_exit 5
check "Escape then leaves with status 0 ($status)" [ "$status" = 0 ]
check "the last word came once" [ "$(grep -c '^replay ended after' "$work/stdout")" = 1 ]

# Every write to /dev/full fails, the first (the version line) before the first tick.
start_game --record /dev/full
play 2
check "the match goes on after its recording fails" alive
press_escape
await_exit 5
check "Escape still ends it with status 1 ($status)" [ "$status" = 1 ]
said=$(grep -c 'writing the recording failed' "$work/stderr" || true)
check "the failure is reported once ($said times)" [ "$said" = 1 ]
finish
