#!/usr/bin/env bash
# Networked matches between two headless processes on this machine (127.0.0.1 only), in real time.
# Usage: online_test.sh <skirmora> <udp_relay> loopback|lossy|faults
#   loopback: 1500 ticks straight; lossy: through udp_relay (75 ± 20 ms each way, 10 % dropped);
#   faults: a peer killed, a join nobody answers, garbage datagrams and a third player during a match.
set -uo pipefail
program=$(realpath "$1")
relay=$(realpath "$2")
mode=$3
export SKIRMORA_IN_XVFB=1 # headless: no display wanted
source "$(dirname "$0")/../e2e/lib.sh"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
# A port unlikely to be in use; the relay listens on the next one.
port=$((20000 + RANDOM % 20000))

# side <name> <options...>: starts one end in the background, output in name.out, name.err, name.replay.
side() {
    local name=$1
    shift
    timeout 90 "$program" --headless --record "$name.replay" "$@" >"$name.out" 2>"$name.err" &
    eval "${name}_pid=$!"
}
# ended_with <name>: waits for that end and sets <name>_status.
ended_with() {
    local pid_var=${1}_pid status=0
    wait "${!pid_var}" || status=$?
    eval "${1}_status=$status"
}
# Both ends' console lines are what a headless replay of their recordings prints, and the ends agree.
agree() {
    check "both end with status 0 (host $host_status, joiner $join_status)" [ "$host_status$join_status" = 00 ]
    check "identical summaries: $(tail -n 1 host.out)" cmp -s <(tail -n 1 host.out) <(tail -n 1 join.out)
    check "byte-identical recordings of $1 ticks" \
        eval "cmp -s host.replay join.replay && [ \$(grep -c '^tick ' host.replay) = $1 ]"
    local name
    for name in host join; do
        env -u DISPLAY "$program" --headless --replay "$name.replay" >"$name.replayed" 2>/dev/null
        check "$name's console equals the headless replay of its recording" \
            cmp -s <(sed 's/^match ended after/replay ended after/' "$name.out") "$name.replayed"
    done
    check "no divergence" eval '! grep -h "differ" host.err join.err'
}
# figure <name> <pattern>: a number from that end's closing line, e.g. figure host '[0-9]+ rollbacks'.
figure() { grep -h 'network:' "$1.err" | grep -oE "$2" | grep -oE '^[0-9.]+'; }

case $mode in
loopback | lossy)
    target=$port p1=bot:3 p2=random:7
    if [ "$mode" = lossy ]; then
        "$relay" $((port + 1)) "$port" 75 20 10 80 "$RANDOM" 2>relay.err &
        target=$((port + 1)) p1=random:5 p2=random:6
    fi
    side host --host "$port" --ticks 1500 --player1 "$p1"
    sleep 0.2
    side join --join "127.0.0.1:$target" --player2 "$p2"
    ended_with host
    ended_with join
    cat host.err join.err
    agree 1500
    if [ "$mode" = loopback ]; then
        for name in host join; do
            check "$name dropped no datagram as bad" [ "$(figure "$name" '[0-9]+ datagrams dropped')" = 0 ]
        done
    else
        check "rollbacks happened" holds "$(figure host '[0-9]+ rollbacks') + $(figure join '[0-9]+ rollbacks') > 0"
        for name in host join; do
            check "$name stalled fewer than 2 % of ticks" holds "$(figure "$name" '[0-9.]+%') < 2"
        done
    fi
    ;;
faults)
    # The joiner killed mid-match: the host names the tick and ends with 3 within 10 s.
    side host --host "$port" --ticks 6000 --player1 random:1
    sleep 0.2
    side join --join "127.0.0.1:$port" --player2 random:2
    sleep 3
    pkill -KILL -P "$join_pid" # the program itself, under timeout
    killed=$SECONDS
    ended_with host
    check "the host ends with status 3 ($host_status) within 10 s ($((SECONDS - killed)) s)" \
        eval '[ "$host_status" = 3 ] && ((SECONDS - killed <= 10))'
    check "and says at which tick: $(grep -m1 'at tick' host.err)" grep -q 'at tick [1-9]' host.err

    # A join where nobody listens.
    started=$SECONDS
    side join --join "127.0.0.1:$((port + 2))" --player2 idle
    ended_with join
    check "an unanswered join ends with status 2 ($join_status) within 15 s" \
        eval '[ "$join_status" = 2 ] && ((SECONDS - started <= 15))'
    check "saying so: $(tail -n 1 join.err)" grep -q 'nobody answered' join.err

    # Garbage at the host's port and a third player, during a match that must not notice either.
    side host --host "$port" --ticks 900 --player1 random:3
    sleep 0.2
    side join --join "127.0.0.1:$port" --player2 random:4
    sleep 2
    for ((i = 0; i < 300; i++)); do head -c $((RANDOM % 200 + 1)) /dev/urandom >"/dev/udp/127.0.0.1/$port"; done
    "$program" --headless --host "$port" --player1 idle 2>second.err && status=0 || status=$?
    check "a second host on the same port ends with status 2 ($status): $(cat second.err)" [ "$status" = 2 ]
    side third --join "127.0.0.1:$port" --player2 idle
    ended_with third
    check "a third player is refused with status 2 ($third_status)" [ "$third_status" = 2 ]
    check "and told why: $(tail -n 1 third.err)" grep -q 'already has a player' third.err
    ended_with host
    ended_with join
    agree 900
    check "the host says it refused the third" grep -q 'refused 127.0.0.1' host.err
    ;;
esac
finish
