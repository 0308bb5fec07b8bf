#!/usr/bin/env bash
# How well the computer player plays: headless matches against the seeded sparring partners
# random:1 to random:6, in each role, beside an idle player in the same role against the same six.
# Prints one table row per match and the verdict: the bot must outscore its opponent in at least 5 of
# the 6 in each role, and its summed margin must beat the idle player's. Exits 1 when it does not.
# Usage: tools/strength.sh [ticks, default 18000] [bot seed, default 1] [program, default build/release/session/skirmora]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
ticks=${1:-18000}
seed=${2:-1}
program=${3:-$root/build/release/session/skirmora}
if [[ ! -x $program ]]; then
    echo "no $program: build it first (cmake --preset release && cmake --build --preset release)" >&2
    exit 2
fi

# score <player1> <player2>: "score1 score2" at the end of a headless match.
score() {
    "$program" --headless --ticks "$ticks" --player1 "$1" --player2 "$2" | tail -n 1 |
        sed -E 's/.*player 1 health -?[0-9]+ score ([0-9]+), player 2 health -?[0-9]+ score ([0-9]+)$/\1 \2/'
}

verdict=0
echo "| Role | Opponent | Bot score | Opponent score | Bot margin | Idle margin |"
echo "|---|---|---|---|---|---|"
for role in 1 2; do
    wins=0
    bot_sum=0
    idle_sum=0
    for opponent in 1 2 3 4 5 6; do
        if ((role == 1)); then
            read -r own other < <(score "bot:$seed" "random:$opponent")
            read -r idle_own idle_other < <(score idle "random:$opponent")
        else
            read -r other own < <(score "random:$opponent" "bot:$seed")
            read -r idle_other idle_own < <(score "random:$opponent" idle)
        fi
        margin=$((own - other))
        idle_margin=$((idle_own - idle_other))
        ((margin > 0)) && wins=$((wins + 1))
        bot_sum=$((bot_sum + margin))
        idle_sum=$((idle_sum + idle_margin))
        echo "| player $role | random:$opponent | $own | $other | $margin | $idle_margin |"
    done
    echo "| player $role | all six | won $wins of 6 | | $bot_sum | $idle_sum |"
    if ((wins < 5 || bot_sum <= idle_sum)); then verdict=1; fi
done
start=$EPOCHREALTIME
"$program" --headless --ticks "$ticks" --player1 "bot:$seed" --player2 "bot:$((seed + 1))" >/dev/null
echo
echo "bot against bot, $ticks ticks: $(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }') s"
if ((verdict == 0)); then echo "strong enough in both roles"; else echo "NOT strong enough"; fi
exit "$verdict"
