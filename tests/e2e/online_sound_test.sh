#!/usr/bin/env bash
# The sound of an online match through its rollbacks: two windows play 600 ticks with random input through a
# lossy relay, on OpenAL's null device, logging every sound they start and stop. In each log no event starts
# twice unless a stop came between, only sounding events stop, and rollbacks did stop some; what each machine
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

# play <name> <options...>: the program in a window, its console in name.out and its log in name.err.
play() {
    local name=$1
    shift
    (cd "$content_root" && exec timeout 45 env "${environment[@]}" "$program" "$@") >"$work/$name.out" 2>"$work/$name.err"
}
# ledger <name>: "starts stops doubled stray" of name.err; what sounds at the end, of the ticks before $settled,
# one "tick clip index" a line, into name.sounding.
ledger() {
    awk -v settled="$settled" -v out="$work/$1.sounding" '
        $1 == "sound:" && $3 == "tick" && NF == 14 { key = $4 " " $5 " " $14; doubled += (key in on); on[key] = 1; starts++ }
        $1 == "sound:" && $3 == "stop" { key = $5 " " $6 " " $8; stray += !(key in on); delete on[key]; stops++ }
        END {
            for (key in on) { split(key, f, " "); if (f[1] < settled) print key > out }
            print starts + 0, stops + 0, doubled + 0, stray + 0
        }' "$work/$1.err"
    sort -o "$work/$1.sounding" "$work/$1.sounding"
}

"$relay" $((port + 1)) "$port" 75 20 10 60 "$RANDOM" 2>"$work/relay.err" &
pids+=($!)
play host --host "$port" --ticks "$ticks" --player1 random:5 --record "$work/match.replay" &
pids+=($!)
host_pid=$!
sleep 0.2
play join --join "127.0.0.1:$((port + 1))" --player2 random:6 && join_status=0 || join_status=$?
host_status=0
wait "$host_pid" || host_status=$?
check "both end the match with status 0 (host $host_status, joiner $join_status)" [ "$host_status$join_status" = 00 ]
grep -h 'network:' "$work/host.err" "$work/join.err"

stopped=0
for name in host join; do
    read -r starts stops doubled stray < <(ledger "$name")
    echo "$name: $starts started, $stops stopped"
    check "the $name started no event twice without a stop between ($doubled)" [ "$doubled" = 0 ]
    check "the $name stopped only sounding events ($stray)" [ "$stray" = 0 ]
    stopped=$((stopped + stops))
done
check "rollbacks stopped undone events ($stopped)" [ "$stopped" -gt 0 ]

# The match itself, heard offline: every event of every tick once.
# The replay stands on its last tick once it has played them all; Escape leaves then.
play replay --replay "$work/match.replay" &
pids+=($!)
wait_until 30 grep -q '^replay ended after' "$work/replay.out" || true
xdotool mousemove 400 300
hold Escape 0.3
wait "${pids[-1]}" || true
ledger replay >/dev/null
check "the replay played the match's events ($(wc -l <"$work/replay.sounding"))" \
    [ "$(wc -l <"$work/replay.sounding")" -gt 20 ]
for name in host join; do
    check "the $name's sound ends up as the match's, tick for tick" cmp -s "$work/$name.sounding" "$work/replay.sounding"
done
finish
