#!/usr/bin/env bash
# Records a match of the built program under a virtual X display, played with random real input
# (the X test extension, as a player's keyboard and mouse), then checks that the recording replays,
# headless and on screen, to the very same game lines.
# Usage: replay_test.sh <path to skirmora> <repository root> [seconds of play, default 12]
# REPLAY_SEED fixes the random input (the seed in use is printed); REPLAY_KEEP=DIR keeps the files.
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
seconds=${3:-12}

if [[ -z "${SKIRMORA_IN_XVFB:-}" ]]; then
    export SKIRMORA_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
keys=(w a s d Up Down Left Right l p o)
cleanup() {
    kill "${game_pid:-0}" 2>/dev/null || true
    [[ -z "${REPLAY_KEEP:-}" ]] || { mkdir -p "$REPLAY_KEEP" && cp "$work"/* "$REPLAY_KEEP"/; }
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# start <name> <arguments...>: runs the program from the source tree, output in $work/<name>.out/.err.
start() {
    local name=$1
    shift
    # Under the sanitizers, the GL driver and the toolkit keep allocations to the end that the leak
    # check cannot tell from the program's; the headless runs, with neither, keep the check.
    (cd "$content_root" && ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 exec "$program" "$@") \
        >"$work/$name.out" 2>"$work/$name.err" &
    game_pid=$!
    timeout 20 xdotool search --sync --name '^Skirmora$' >/dev/null ||
        { fail "$name: no window appeared: $(cat "$work/$name.err")" && exit 1; }
}
# finish <seconds>: sets status to the game's exit status once it has ended, or to "running".
finish() {
    local waited=0
    while kill -0 "$game_pid" 2>/dev/null && ((waited < $1 * 10)); do
        sleep 0.1
        waited=$((waited + 1))
    done
    status=running
    kill -0 "$game_pid" 2>/dev/null || { wait "$game_pid" && status=0 || status=$?; }
}
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
    for key in "${keys[@]}"; do xdotool keyup "$key"; done
    xdotool mouseup 1
}
# Escape quits at the next tick, if the window has the keyboard: it follows the pointer.
press_escape() {
    xdotool mousemove 400 300 keydown Escape
    sleep 0.3
    xdotool keyup Escape
}
# game_lines <output>: what the game printed after its start-up lines.
game_lines() {
    awk 'started || !/^(base init|der init|gets called|here you are|after this)$/ { started = 1; print }' "$1"
}
# same <description> <file> <file>: passes when the files are equal, else fails showing where not.
same() {
    if cmp -s "$2" "$3"; then
        pass "$1 ($(wc -l <"$2") lines)"
    else
        fail "$1:"
        diff "$2" "$3" | head -n 20 || true
    fi
}

seed=${REPLAY_SEED:-$((RANDOM * 32768 + RANDOM))}
echo "random input seed $seed, $seconds s of play"
RANDOM=$seed

start recorded --record "$work/match.replay"
play "$seconds"
press_escape
finish 5
[[ $status == 1 ]] && pass "Escape ends the recorded match with status 1" || fail "recorded match: status $status"
ticks=$(grep -c '^tick ' "$work/match.replay" || true)
echo "recorded $ticks ticks, $(grep -c '^size ' "$work/match.replay" || true) window sizes"
game_lines "$work/recorded.out" >"$work/recorded.lines"

# Headless: no display, run from elsewhere (no images), as fast as it goes.
started=$EPOCHREALTIME
(cd "$work" && env -u DISPLAY "$program" --headless --replay match.replay >headless.out 2>headless.err) &&
    status=0 || status=$?
elapsed=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
[[ $status == 0 ]] && pass "headless replay: status 0 in $elapsed s" || fail "headless replay: status $status"
game_lines "$work/headless.out" >"$work/headless.lines"
summary=$(tail -n 1 "$work/headless.lines")
[[ $summary == "replay ended after $ticks ticks:"* ]] && pass "$summary" || fail "summary line: $summary"
head -n -1 "$work/headless.lines" >"$work/headless.game"
same "headless replay prints the recorded game lines" "$work/headless.game" "$work/recorded.lines"

# On screen, live input other than Escape is ignored, and the replay ends by itself.
start onscreen --replay "$work/match.replay"
sleep 1
keys=(w a s d Up Down Left Right l)
play $((seconds / 2))
finish $((seconds * 2 + 10))
[[ $status == 0 ]] && pass "on-screen replay ends with status 0" || fail "on-screen replay: status $status"
game_lines "$work/onscreen.out" >"$work/onscreen.lines"
same "on-screen replay, under live input, prints the headless lines" "$work/onscreen.lines" "$work/headless.lines"

start escaped --replay "$work/match.replay"
sleep 1
press_escape
finish 5
[[ $status == 1 ]] && pass "live Escape ends an on-screen replay with status 1" || fail "Escape in a replay: status $status"

echo "$failures failed"
[[ $failures -eq 0 ]]
