#!/usr/bin/env bash
# Measures how long the built program takes from its start to its first frame on screen, and how
# much memory it holds once started, under a virtual display of its own (a known, empty screen).
# Prints the median of the runs:
#   first frame: N ms
#   resident after start-up: N KiB
# The screen is watched through the virtual display's framebuffer file by tools/first_frame.cpp,
# built beside the program. A measurement, not a test: the figures depend on the machine and its load.
# Usage: tools/startup_time.sh [program, default build/release/session/skirmora] [runs, default 5]
# Needs xvfb-run and xdotool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath -m "${1:-$root/build/release/session/skirmora}")
runs=${2:-5}
watcher=$(dirname "$program")/../tools/first_frame
[[ -x $program && -x $watcher ]] || { echo "no program or watcher beside $program; build them: cmake --preset release && cmake --build --preset release" >&2; exit 1; }

if [[ -z "${SKIRMORA_STARTUP_FB:-}" ]]; then
    SKIRMORA_STARTUP_FB=$(mktemp -d)
    export SKIRMORA_STARTUP_FB
    trap 'rm -rf "$SKIRMORA_STARTUP_FB"' EXIT
    # -br: a black root window, so that only the program can light a pixel.
    xvfb-run -a -s "-screen 0 1024x768x24 -br -fbdir $SKIRMORA_STARTUP_FB" "$0" "$program" "$runs"
    exit
fi

framebuffer=$SKIRMORA_STARTUP_FB/Xvfb_screen0
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The pointer rests outside the window's rows, where the program will not draw.
xdotool mousemove 1000 760
frames=() residents=()
for ((run = 1; run <= runs; run++)); do
    # The window opens in the top 600 rows.
    result=$(cd "$root" && "$watcher" "$framebuffer" 600 "$program")
    frames+=("$(sed -n 's/^first frame: \([0-9.]*\) ms$/\1/p' <<<"$result")")
    residents+=("$(sed -n 's/^resident: \([0-9]*\) KiB$/\1/p' <<<"$result")")
    echo "run $run: first frame after ${frames[-1]} ms, resident ${residents[-1]} KiB" >&2
done

echo "first frame: $(printf '%s\n' "${frames[@]}" | median) ms"
echo "resident after start-up: $(printf '%s\n' "${residents[@]}" | median) KiB"
echo "median of $runs runs of $program"
