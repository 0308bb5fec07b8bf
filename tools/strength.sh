#!/usr/bin/env bash
# How well the computer player plays at each level, and how like a hand it moves: headless matches
# (recorded, then read back by hand_figures) in each role against bot:normal on the other side (seeds
# 1 to 6 against 101 to 106), against the sparring partners random:1 to random:6, and against an idle
# player (seeds 1 to 3); beside an idle player in the same role against the same six partners.
# Prints the margins and the input figures, then the verdict; exits 1 unless:
#   in each role the summed margin against bot:normal rises strictly from easy to normal to hard;
#   easy as player 2 loses or ties at least 3 of its 6 against bot:normal;
#   hard in each role wins at least 5 of 6 against the partners, by more in all than idle does;
#   no bot's own input stays empty for more than 600 ticks in any match;
#   presses under 5 ticks are at most 10 % of all, player 1's keys change at most 10 times a second
#   and player 2's pointer turns back at most 6 times a second, in every match;
#   a bot-against-bot match of the length takes under 2 s.
# Usage: tools/strength.sh [ticks, default 18000] [build directory, default build/release]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
ticks=${1:-18000}
build=${2:-$root/build/release}
program=$build/session/skirmora
figures=$build/tools/hand_figures
if [[ ! -x $program || ! -x $figures ]]; then
    echo "no $program or $figures: build them first (cmake --preset release && cmake --build --preset release)" >&2
    exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# match <player1> <player2> <role of the bot>: prints "own other keychanges/s presses short reversals/s quiet"
# for the bot's side.
match() {
    local line s1 s2
    line=$(nice "$program" --headless --ticks "$ticks" --player1 "$1" --player2 "$2" --record "$work/m.replay" | tail -n 1)
    read -r s1 s2 < <(sed -E 's/.*player 1 health -?[0-9]+ score ([0-9]+), player 2 health -?[0-9]+ score ([0-9]+)$/\1 \2/' <<<"$line")
    "$figures" "$work/m.replay" | awk -v role="$3" -v s1="$s1" -v s2="$s2" '
        $3 == role":" {
            own = role == 1 ? s1 : s2; other = role == 1 ? s2 : s1
            print own, other, $4, $10, int($10 * $7 / 100 + 0.5), $15, $(NF - 1)
        }'
}

verdict=0
fail() {
    echo "FAILS: $*"
    verdict=1
}

# against <own source> <other source> <role>: match with the own source on player <role>'s side.
against() {
    if (($3 == 1)); then match "$1" "$2" 1; else match "$2" "$1" 2; fi
}

declare -A idle_margin
for role in 1 2; do
    sum=0
    for seed in 1 2 3 4 5 6; do
        read -r own other _ < <(against idle "random:$seed" "$role")
        sum=$((sum + own - other))
    done
    idle_margin[$role]=$sum
done

echo "| Level | Role | Against bot:normal: margin | won, lost or tied | Against random:1..6: margin | won | Idle's margin against random:1..6 |"
echo "|---|---|---|---|---|---|---|"
declare -A normal_margin
figures_table=""
for level in easy normal hard; do
    for role in 1 2; do
        most_changes=0 most_reversals=0 presses=0 short=0 quiet=0
        tally() { # own other changes presses short reversals quiet
            most_changes=$(awk -v a="$most_changes" -v b="$3" 'BEGIN { print (b > a ? b : a) }')
            most_reversals=$(awk -v a="$most_reversals" -v b="$6" 'BEGIN { print (b > a ? b : a) }')
            presses=$((presses + $4))
            short=$((short + $5))
            ((${7} > quiet)) && quiet=$7
            if ((role == 1)) && awk -v c="$3" 'BEGIN { exit !(c > 10) }'; then fail "$level player 1 changes keys $3 times a second"; fi
            if ((role == 2)) && awk -v c="$6" 'BEGIN { exit !(c > 6) }'; then fail "$level player 2 turns the pointer back $6 times a second"; fi
            return 0
        }
        bot_margin=0 bot_wins=0 bot_losses=0 random_margin=0 random_wins=0
        for seed in 1 2 3 4 5 6; do
            read -r own other rest < <(against "bot:$level:$seed" "bot:normal:$((seed + 100))" "$role")
            tally "$own" "$other" $rest
            bot_margin=$((bot_margin + own - other))
            if ((own > other)); then bot_wins=$((bot_wins + 1)); else bot_losses=$((bot_losses + 1)); fi
            read -r own other rest < <(against "bot:$level:$seed" "random:$seed" "$role")
            tally "$own" "$other" $rest
            random_margin=$((random_margin + own - other))
            ((own > other)) && random_wins=$((random_wins + 1))
            if ((seed <= 3)); then
                read -r own other rest < <(against "bot:$level:$seed" idle "$role")
                tally "$own" "$other" $rest
            fi
        done
        normal_margin[$level$role]=$bot_margin
        echo "| $level | player $role | $bot_margin | $bot_wins, $bot_losses | $random_margin | $random_wins of 6 | ${idle_margin[$role]} |"
        share=$(awk -v s="$short" -v p="$presses" 'BEGIN { printf "%.1f", p ? 100 * s / p : 0 }')
        if ((role == 1)); then
            figures_table+="| $level | player 1 | $most_changes | $share % of $presses | | $quiet |"$'\n'
        else
            figures_table+="| $level | player 2 | | $share % of $presses | $most_reversals | $quiet |"$'\n'
        fi
        if awk -v s="$short" -v p="$presses" 'BEGIN { exit !(s * 10 > p) }'; then fail "$level player $role: presses under 5 ticks are $share %"; fi
        ((quiet > 600)) && fail "$level player $role: no input for $quiet ticks"
        if [[ $level == easy && $role == 2 ]] && ((bot_losses < 3)); then fail "easy as player 2 lost or tied only $bot_losses of 6"; fi
        if [[ $level == hard ]] && ((random_wins < 5 || random_margin <= idle_margin[$role])); then
            fail "hard as player $role won $random_wins of 6 against the partners, margin $random_margin (idle's ${idle_margin[$role]})"
        fi
    done
done
for role in 1 2; do
    if ((normal_margin[easy$role] >= normal_margin[normal$role] || normal_margin[normal$role] >= normal_margin[hard$role])); then
        fail "player $role: the margins against bot:normal do not rise from easy to normal to hard"
    fi
done
echo
echo "Input figures over these matches (the most in any one match; presses under 5 ticks of all presses):"
echo
echo "| Level | Role | Key changes a second | Presses under 5 ticks | Pointer reversals a second | Longest with no input (ticks) |"
echo "|---|---|---|---|---|---|"
printf '%s' "$figures_table"
start=$EPOCHREALTIME
"$program" --headless --ticks "$ticks" --player1 bot:hard:1 --player2 bot:hard:2 >/dev/null
took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
echo
echo "bot:hard against bot:hard, $ticks ticks: $took s"
if awk -v t="$took" -v n="$ticks" 'BEGIN { exit !(t >= 2 * n / 18000) }'; then fail "a bot-against-bot match took $took s"; fi
if ((verdict == 0)); then echo "every level plays as it should"; else echo "NOT as it should"; fi
exit "$verdict"
