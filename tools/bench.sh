#!/usr/bin/env bash
# Builds in Release and prints one table of Skirmora's speed and memory on this machine: update ticks
# idle and under steady fire, saving and restoring a match, a render pass, start-up, resident memory,
# and the computer player. Figures only; nothing is asserted. Drawing and start-up run under a virtual
# display when no DISPLAY is set.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target game_bench render_bench bot_bench soak skirmora first_frame >/dev/null
build=build/release
on_display() { if [[ -n "${DISPLAY:-}" ]]; then "$@"; else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi; }

# name, real time with its unit, and the counters, one benchmark a line: the median of five runs,
# since a shared machine's other work shows as runs far slower than the rest.
benchmarks() {
    "$@" --benchmark_format=json --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
        awk -F': ' '
        /"name"/ { gsub(/[",]/, "", $2); name = $2; median = sub(/_median$/, "", name) }
        /"real_time"/ { gsub(/,/, "", $2); time = $2 }
        /"time_unit"/ { gsub(/[",]/, "", $2); unit = $2; if (median && name !~ /steadyFire/) print name, time, unit }
        /"in_flight"/ { gsub(/,/, "", $2); flight = $2 }
        /"per_bullet"/ { if (median) print name, time, unit, flight, $2 }'
}

echo "| Measure | Result |"
echo "|---|---|"
micro() { awk -v t="$1" -v u="$2" 'BEGIN { print (u == "ns" ? t / 1000 : t) }'; }
benchmarks "$build/bench/game_bench" --benchmark_filter='idleTick|steadyFire|saveAndRestore|restoreAndResimulateEight' |
    while read -r name time unit flight perBullet; do
    case $name in
    idleTick) printf '| Update tick, standard arena, no input | %.2f µs |\n' "$(micro "$time" "$unit")" ;;
    saveAndRestore) printf '| Save and restore a match, standard arena with 20 bullets in flight | %.1f µs |\n' "$(micro "$time" "$unit")" ;;
    restoreAndResimulateEight)
        printf '| Restore and re-simulate 8 ticks, standard arena with 20 bullets in flight | %.3f ms |\n' \
            "$(awk -v t="$(micro "$time" "$unit")" 'BEGIN { print t / 1000 }')" ;;
    steadyFire/*)
        printf '| Steady fire, %s bullets per 51 ticks | %.0f in flight; %.3f ms a tick; %.0f ns a bullet |\n' \
            "${name#steadyFire/}" "$flight" "$(awk -v t="$time" 'BEGIN { print t / 1000 }')" \
            "$(awk -v p="$perBullet" 'BEGIN { print p * 1e9 }')" ;;
    esac
done
benchmarks on_display "$build/bench/render_bench" --benchmark_filter='renderPass/0/' | while read -r name time unit; do
    printf '| Render pass, standard arena, 800 × 600 (Mesa, software) | %.2f ms |\n' "$(awk -v t="$time" 'BEGIN { print t / 1000 }')"
done
startup=$(tools/startup_time.sh "$build/session/skirmora" 5 2>/dev/null)
echo "| Process start to first displayed frame (median of 5) | $(sed -n 's/^first frame: //p' <<<"$startup") |"
echo "| Resident memory after start-up | $(sed -n 's/^resident after start-up: //p' <<<"$startup") |"
soak=$("$build/tools/soak" 100000 1 1)
read -r tenth end < <(sed -E 's/.*resident ([0-9]+) KiB at tick [0-9]+ and ([0-9]+) KiB.*/\1 \2/' <<<"$soak")
echo "| Resident growth, ticks 10 000 to 100 000 of continuous fire (headless) | $((end - tenth)) KiB |"
# The bot's decision in each role at each level: the medians of the mean and of the 99th percentile.
"$build/bench/bot_bench" --benchmark_format=json --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    2>/dev/null | awk -F': ' '
    /"name"/ { gsub(/[",]/, "", $2); name = $2; median = name ~ /_median$/ }
    /"real_time"/ { gsub(/,/, "", $2); time = $2 }
    /"time_unit"/ && median && name ~ /surveyWalls/ { printf "| Computer player, survey of the walls (once, on its first look) | %.1f ms |\n", time }
    /"p99_us"/ && median {
        gsub(/,/, "", $2)
        split(name, part, /[:\/]/)
        mean[part[3], part[5]] = time
        slow[part[3], part[5]] = $2
    }
    END {
        for (role = 1; role <= 2; ++role)
            printf "| Computer player, decision per tick as player %d, easy / normal / hard (mean; 99th percentile) | %.1f / %.1f / %.1f µs; %.1f / %.1f / %.1f µs |\n",
                role, mean[role, 0], mean[role, 1], mean[role, 2], slow[role, 0], slow[role, 1], slow[role, 2]
    }'
times=()
for _ in 1 2 3 4 5; do
    start=$EPOCHREALTIME
    "$build/session/skirmora" --headless --ticks 18000 --player1 bot:normal:1 --player2 bot:normal:2 >/dev/null
    times+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')")
done
echo "| Headless 18 000-tick match, \`bot\` against \`bot\` (median of 5) | $(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p) s |"
echo
echo "Measured on: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)."
