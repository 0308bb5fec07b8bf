#!/usr/bin/env bash
# Plays the built program under a virtual X display with its sound written to a file by OpenAL's
# wave writer, and checks the capture against the moments the events happened, which the program
# logs on standard error with SKIRMORA_SOUND_LOG set. Then no audio device, --mute, and a headless run
# (damaged sound files are tests/sound_test.cpp's).
# Usage: sound_test.sh <path to skirmora> <repository root>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
here=$(dirname "$0")
source "$here/lib.sh"

export SKIRMORA_SOUND_LOG=1
# capture <name>: a configuration that mixes in real time into $work/<name>.wav, in short periods so
# that sounds land close to their moment; prints its path.
capture() {
    printf '%s\n' "[general]" drivers=wave channels=stereo sample-type=int16 frequency=44100 period_size=256 \
        dither=false "[wave]" "file=$work/$1.wav" >"$work/$1.conf"
    echo "$work/$1.conf"
}
# The pointer rests on the window centre, where the game warps it back every tick.
throw_ball() { hold Up 0.1; }
click() { xdotool mousedown 1 sleep 0.1 mouseup 1; }
quit() {
    hold Escape 0.2
    await_exit 5
    check "$1: Escape ends the game ($status)" [ "$status" = 1 ]
}

# A match: quiet, player 1 (left of centre) throws, player 2 (right) fires straight up and the
# bullet bounces between the walls above and below it; then player 2 drifts up and left and fires
# along its drift: off the middle of the slab above the octagon, the bullet comes down onto player 1.
ALSOFT_CONF=$(capture match) start_game
sleep 1.5
throw_ball
sleep 1
click
sleep 1.2
xdotool mousemove --window "$window" 300 200 sleep 0.05
click
hit() { grep -q '^col$' "$work/stdout"; }
check "player 2's bullet hits player 1 (col)" wait_until 3 hit
sleep 1
quit "match"
for clip in ballThrown bulletFired bulletBounced player1Hit; do
    check "the match logged $clip" grep -q " $clip.wav " "$work/stderr"
done
check "no message beside the log" eval '! grep -q "^skirmora:" "$work/stderr"'
check "every event heard within 50 ms, silence elsewhere, left and right" \
    python3 "$here/sound_capture.py" "$work/match.wav" "$work/stderr" "$content_root/Content/Sounds"

# No audio device: one message, and the game runs silent.
printf '[general]\ndrivers=none\n' >"$work/none.conf"
ALSOFT_CONF=$work/none.conf start_game
sleep 0.5
throw_ball
sleep 0.5
quit "no device"
check "one message: no audio device" [ "$(grep '^skirmora:' "$work/stderr")" = "skirmora: no audio device; playing silent" ]
check "the game ran: player 1 threw" grep -q '^up$' "$work/stdout"

# No sound card at all: OpenAL's ALSA output looks for one through libasound and finds none. Standard error holds
# the game's one line and nothing of the libraries'. Asked for with ALSOFT_LOGLEVEL, their messages come back:
# the same set-up does provoke them.
: >"$work/no-cards.conf"
printf '[general]\ndrivers=alsa\n' >"$work/alsa.conf"
ALSOFT_CONF=$work/alsa.conf ALSA_CONFIG_PATH=$work/no-cards.conf ALSOFT_LOGLEVEL=1 start_game
sleep 0.5
quit "no sound card, ALSOFT_LOGLEVEL=1"
check "no sound card, asked for: the libraries' messages" \
    eval 'grep -q "^ALSA lib " "$work/stderr" && grep -q "^AL lib: " "$work/stderr"'
ALSOFT_CONF=$work/alsa.conf ALSA_CONFIG_PATH=$work/no-cards.conf SKIRMORA_SOUND_LOG= start_game
sleep 0.5
quit "no sound card"
check "no sound card, no log asked for: the game's one line, nothing else" \
    [ "$(cat "$work/stderr")" = "skirmora: no audio device; playing silent" ]

# --mute and headless runs open no device at all, so nothing is even captured.
ALSOFT_CONF=$(capture mute) start_game --mute
sleep 0.5
throw_ball
sleep 0.5
quit "--mute"
check "--mute: no device opened, nothing captured" [ ! -e "$work/mute.wav" ]
check "--mute: no sound logged" [ "$(grep -c '^sound:' "$work/stderr" || true)" = 0 ]
printf 'skirmora-replay 1\ntick up 0 0 0\ntick - 0 0 1\n' >"$work/short.replay"
(cd "$work" && ALSOFT_CONF=$(capture headless) env -u DISPLAY "$program" --headless --replay short.replay \
    >headless.out 2>headless.err) && status=0 || status=$?
check "headless replay ends with status 0 ($status)" [ "$status" = 0 ]
quiet_headless() { [ ! -e "$work/headless.wav" ] && [ ! -s "$work/headless.err" ]; }
check "headless: no device opened, nothing captured, no message" quiet_headless
finish
