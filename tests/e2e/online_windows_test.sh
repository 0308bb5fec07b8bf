#!/usr/bin/env bash
# One online match between two windows, each on a virtual display of its own, played with real input on both
# through the X test extension: the host walks and throws with the keyboard, the joiner steers and fires with
# the mouse. Both end with status 0, their recordings are the same bytes, and the last pictures before the
# end, taken once the players have come to rest, show them in the same places. Then, in a second match, closing
# one window ends that end with status 0 and tells the other, which ends with status 3.
# Usage: online_windows_test.sh <path to skirmora> <repository root> <path to close_window>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
close_window=$(realpath "$3")
export SKIRMORA_IN_XVFB=1 # this test makes its own two displays
export ALSOFT_DRIVERS=null # the matches have sound: mixed, never heard
source "$(dirname "$0")/lib.sh"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
port=$((20000 + RANDOM % 20000))

# display <name>: starts a virtual display and sets <name> to its DISPLAY value.
display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/$1.display" 2>/dev/null &
    pids+=($!)
    wait_until 10 test -s "$work/$1.display"
    eval "$1=:$(cat "$work/$1.display")"
}
# end <name> <options...>: that end of the match on its own display, with its window in <name>_window.
end() {
    local name=$1 screen=${!1}
    shift
    (cd "$content_root" && DISPLAY=$screen exec "$program" --record "$work/$name.replay" "$@") \
        >"$work/$name.out" 2>"$work/$name.err" &
    pids+=($!)
    eval "${name}_pid=$!"
    eval "${name}_window=$(DISPLAY=$screen timeout 20 xdotool search --sync --name '^Skirmora$' | head -n 1)"
}
on() { DISPLAY=${!1} "${@:2}"; }
connected() { grep -q connected "$work/host.err" && grep -q connected "$work/join.err"; }
# place <name> <kind>: "meanX meanY" of that kind's pixels in the end's window.
place() {
    local window_var=${1}_window
    on "$1" import -window "${!window_var}" "$work/$1.png"
    pixels "$work/$1.png" "$2" | cut -d' ' -f2-
}
near() { holds "($1 - $3) ^ 2 + ($2 - $4) ^ 2 <= 9"; }

display host
display join
end host --host "$port" --ticks 1500
end join --join "127.0.0.1:$port"
check "both windows connect" wait_until 15 connected
started=$SECONDS

# The pointer over each window gives it the keyboard.
on host xdotool mousemove 400 300
on join xdotool mousemove 400 300
(
    on host xdotool keydown d sleep 0.8 keyup d keydown w sleep 0.5 keyup w
    on host xdotool keydown Up sleep 0.2 keyup Up keydown s keydown a sleep 0.6 keyup s keyup a
) &
for step in 1 2 3 4 5 6; do
    on join xdotool mousemove_relative -- $((step % 2 ? 25 : -15)) -20 sleep 0.2
done
on join xdotool mousedown 1 sleep 0.3 mouseup 1
wait $!

# The match runs 1500 ticks, about 25 s: by 18 s the ball and bullets are gone and the players stand still.
sleep $((18 - (SECONDS - started)))
for kind in blue red; do
    read -r hx hy < <(place host "$kind")
    read -r jx jy < <(place join "$kind")
    check "the $kind player stands in the same place on both screens ($hx,$hy and $jx,$jy)" near "$hx" "$hy" "$jx" "$jy"
done

for name in host join; do
    pid_var=${name}_pid
    status=0
    wait_until 20 eval "! kill -0 ${!pid_var} 2>/dev/null" || true
    wait "${!pid_var}" || status=$?
    check "the $name ends the match with status 0 ($status)" [ "$status" = 0 ]
done
check "the recordings are the same bytes ($(grep -c '^tick ' "$work/host.replay") ticks)" \
    cmp -s "$work/host.replay" "$work/join.replay"
check "the host's keys are in it" grep -qE '^tick [a-z]' "$work/host.replay"
check "and the joiner's mouse" awk '$1 == "tick" && ($3 != 0 || $4 != 0 || $5 == 1) { found = 1 } END { exit !found }' \
    "$work/host.replay"
check "the summaries agree: $(tail -n 1 "$work/host.out")" \
    cmp -s <(tail -n 1 "$work/host.out") <(tail -n 1 "$work/join.out")
cat "$work/host.err" "$work/join.err"

end host --host "$((port + 1))" --ticks 1500
end join --join "127.0.0.1:$((port + 1))"
check "both windows connect again" wait_until 15 connected
sleep 1
on join "$close_window" "$join_window"
for name in join host; do
    pid_var=${name}_pid
    status=0
    wait_until 15 eval "! kill -0 ${!pid_var} 2>/dev/null" || true
    wait "${!pid_var}" || status=$?
    eval "${name}_status=$status"
done
check "the closed window's end stops with status 0 ($join_status)" [ "$join_status" = 0 ]
check "the other hears of it and stops with status 3 ($host_status)" \
    eval '[ "$host_status" = 3 ] && grep -q "the other player quit" "$work/host.err"'
finish
