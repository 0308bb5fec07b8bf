#!/usr/bin/env bash
# Measures how long the built program takes from its start to its first frame on screen, and how
# much memory it holds once started, under a virtual display of its own (a known, empty screen).
# Prints the median of the runs:
#   first frame: N ms
#   resident after start-up: N KiB
# The screen is watched through the virtual display's framebuffer file, which the X server updates
# in place: a frame is displayed once any pixel where the window sits (the top 600 rows of an
# otherwise black screen) is no longer black. The poll interval, printed as the resolution, bounds
# the error. A measurement, not a test: the figures depend on the machine and its load.
# Usage: tools/startup_time.sh [program, default build/release/game/skirmora] [runs, default 5]
# Needs xvfb-run and xdotool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath -m "${1:-$root/build/release/game/skirmora}")
runs=${2:-5}
[[ -x $program ]] || { echo "no program at $program; build it: cmake --preset release && cmake --build --preset release" >&2; exit 1; }

if [[ -z "${SKIRMORA_STARTUP_FB:-}" ]]; then
    SKIRMORA_STARTUP_FB=$(mktemp -d)
    export SKIRMORA_STARTUP_FB
    trap 'rm -rf "$SKIRMORA_STARTUP_FB"' EXIT
    # -br: a black root window, so that only the program can light a pixel.
    xvfb-run -a -s "-screen 0 1024x768x24 -br -fbdir $SKIRMORA_STARTUP_FB" "$0" "$program" "$runs"
    exit
fi

framebuffer=$SKIRMORA_STARTUP_FB/Xvfb_screen0
# field <byte offset>: one big-endian 32-bit field of the framebuffer's XWD header.
field() { od -An -tu1 -j "$1" -N4 "$framebuffer" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
# Pixels follow the header and its colour table (12 bytes an entry); rows are bytes_per_line long.
pixels_at=$(($(field 0) + $(field 76) * 12))
window_bytes=$((600 * $(field 48)))
black() { cmp -s -i "$pixels_at:0" -n "$window_bytes" "$framebuffer" /dev/zero; }
# A pause without starting a process: a read that times out on a pipe nobody writes to.
exec {idle}<> <(:)
pause() { read -r -t 0.002 -u "$idle" _ || true; }
ms_since() { awk -v from="$1" -v now="$EPOCHREALTIME" 'BEGIN { printf "%.1f", (now - from) * 1000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The pointer rests outside the window's rows, where the program will not draw.
xdotool mousemove 1000 760
frames=() residents=() polls=0 polled_ms=0
for ((run = 1; run <= runs; run++)); do
    black || { echo "the screen is not black before run $run" >&2; exit 1; }
    start=$EPOCHREALTIME
    (cd "$root" && exec "$program") >/dev/null 2>&1 &
    pid=$!
    n=0
    while black; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended before its first frame" >&2; exit 1; }
        pause
        n=$((n + 1))
    done
    frame_ms=$(ms_since "$start")
    frames+=("$frame_ms")
    polls=$((polls + n))
    polled_ms=$(awk -v a="$polled_ms" -v b="$frame_ms" 'BEGIN { print a + b }')
    sleep 2
    residents+=("$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    # The program's window is gone once the screen is black again.
    until black; do pause; done
    echo "run $run: first frame after $frame_ms ms, resident ${residents[-1]} KiB" >&2
done

echo "first frame: $(printf '%s\n' "${frames[@]}" | median) ms"
echo "resident after start-up: $(printf '%s\n' "${residents[@]}" | median) KiB"
echo "resolution: one poll every $(awk -v t="$polled_ms" -v n="$polls" 'BEGIN { printf "%.1f", t / (n > 0 ? n : 1) }') ms;" \
     "median of $runs runs of $program"
