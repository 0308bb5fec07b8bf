#!/usr/bin/env bash
# The sound of an online match, as each window's shown match plays it through rollbacks: two windows play 600
# ticks with random input through a lossy relay, on OpenAL's null device, logging every sound they start and
# stop. In each log no event starts twice unless a stop came between, only sounding events stop, and events
# are both stopped (a rollback undid them) and started late (a tick run again had them). What each machine
# still had sounding at the end, tick by tick, is exactly what a replay of the recording plays.
# Usage: online_sound_test.sh <path to skirmora> <path to udp_relay> <repository root>
set -euo pipefail

program=$(realpath "$1")
relay=$(realpath "$2")
content_root=$(realpath "$3")
source "$(dirname "$0")/lib.sh"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
# A port unlikely to be in use; the relay listens on the next one.
port=$((20000 + RANDOM % 20000))
ticks=600
# The last ticks may change in the very frame the match ends in, which plays no more sound.
settled=$((ticks - 30))
export SKIRMORA_SOUND_LOG=1
mapfile -t environment < <(game_env)

# side <name> <options...>: one end in a window, its console in name.out, its log in name.err.
side() {
    local name=$1
    shift
    (cd "$content_root" && exec timeout 45 env "${environment[@]}" "$program" "$@") >"$work/$name.out" 2>"$work/$name.err" &
    pids+=($!)
    eval "${name}_pid=$!"
}
# ledger <log> <sounding file>: "starts stops late doubled stray" of the log; what sounds at the end, of the
# ticks before $settled, one "tick clip index" a line, into the file.
ledger() {
    awk -v settled="$settled" -v out="$2" '
        $1 == "sound:" && $3 == "tick" && NF == 14 {
            key = $4 " " $5 " " $14
            if (key in on) doubled++
            on[key] = 1; starts++
            # A frame runs one new tick at most, and all the events of a tick start in the frame it first runs.
            if ($4 < newest || ($4 in first && first[$4] != $2)) late++
            if ($4 > newest) newest = $4
            if (!($4 in first)) first[$4] = $2
        }
        $1 == "sound:" && $3 == "stop" {
            key = $5 " " $6 " " $8
            if (key in on) delete on[key]; else stray++
            if (!($5 in first)) first[$5] = $2
            stops++
        }
        END {
            for (key in on) { split(key, f, " "); if (f[1] < settled) print key > out }
            close(out)
            print starts + 0, stops + 0, late + 0, doubled + 0, stray + 0
        }' "$1"
    sort -o "$2" "$2"
}

"$relay" $((port + 1)) "$port" 75 20 10 60 "$RANDOM" 2>"$work/relay.err" &
pids+=($!)
side host --host "$port" --ticks "$ticks" --player1 random:5 --record "$work/host.replay"
sleep 0.2
side join --join "127.0.0.1:$((port + 1))" --player2 random:6 --record "$work/join.replay"
for name in host join; do
    pid_var=${name}_pid
    status=0
    wait "${!pid_var}" || status=$?
    check "the $name ends the match with status 0 ($status)" [ "$status" = 0 ]
done
check "the recordings are the same bytes" cmp -s "$work/host.replay" "$work/join.replay"
grep -h 'network:' "$work/host.err" "$work/join.err"

total_stops=0
total_late=0
for name in host join; do
    check "the $name opened its audio device" grep -q '^sound: device opened' "$work/$name.err"
    read -r starts stops late doubled stray < <(ledger "$work/$name.err" "$work/$name.sounding")
    echo "$name: $starts started, $stops stopped, $late started late"
    check "the $name started no event twice without a stop between ($doubled)" [ "$doubled" = 0 ]
    check "the $name stopped only sounding events ($stray)" [ "$stray" = 0 ]
    total_stops=$((total_stops + stops))
    total_late=$((total_late + late))
done
check "rollbacks stopped undone events ($total_stops)" [ "$total_stops" -gt 0 ]
check "and started events that only a tick's new run had ($total_late)" [ "$total_late" -gt 0 ]

# The match itself, heard offline: every event of every tick once, from its recording.
(cd "$content_root" && exec timeout 30 env "${environment[@]}" "$program" --replay "$work/host.replay") \
    >"$work/replay.out" 2>"$work/replay.err" || true
ledger "$work/replay.err" "$work/replay.sounding" >/dev/null
check "the replay played the match's events ($(wc -l <"$work/replay.sounding"))" \
    [ "$(wc -l <"$work/replay.sounding")" -gt 20 ]
for name in host join; do
    check "the $name's sound ends up as the match's, tick for tick" cmp -s "$work/$name.sounding" "$work/replay.sounding"
done
finish
