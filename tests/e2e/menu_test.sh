#!/usr/bin/env bash
# The title menu in the real window, under a virtual X display: Enter, Enter starts a match against the
# computer, whose disc moves by itself; Escape pauses and the picture stands still; Down, Enter goes back
# to the title and Up, Enter (wrapping to Quit) ends with status 0. A setting changed in the menus
# survives a restart, every match is then recorded and can be watched, paused and sought in from the
# menus, a match of set length shows its result and plays again, a match hosted from the menus is joined
# and left, two windows host and join through the menus and play a short match to its end, and a damaged
# settings file gives one line and the defaults.
# Usage: menu_test.sh <path to skirmora> <directory holding Content/Graphics>
set -euo pipefail

program=$(realpath "$1")
content_root=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
# What the test starts besides the game: the joining window and its display.
others=()
trap 'kill "${game_pid:-0}" "${others[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
settings="$XDG_CONFIG_HOME/skirmora/settings.ini"
replays="$XDG_DATA_HOME/skirmora/replays"

# press <keys...>: one key at a time, as a person types them.
press() { for key in "$@"; do xdotool key "$key" && sleep 0.15; done; }
# picture <name>: a digest of the picture above the overlay (whose frame rate changes as it stands).
picture() { convert "$(shot "$1")" -crop 800x550+0+0 +repage rgb:- | md5sum | cut -d' ' -f1; }
quit_from_title() {
    press Up Return
    await_exit 5
    check "Up, Enter on the title wraps to Quit and ends with status 0 ($status)" [ "$status" -eq 0 ]
}

start_game --menu
sleep 1
press Return Return
check "Enter, Enter starts a match" wait_until 3 grep -q '^der init$' "$work/stdout"
sleep 1
read -r x0 y0 < <(where red)
check "the computer's disc moves by itself" wait_until 4 moves red
press Escape
sleep 0.3
still=$(picture paused)
sleep 0.6
check "Escape pauses: the picture stands still" [ "$(picture paused_later)" = "$still" ]
press Down Return
quit_from_title
check "no settings file until a setting changes" [ ! -e "$settings" ]

# Settings, sixth on the title; "Record every match", sixth on its screen.
start_game --menu
sleep 1
press Down Down Down Down Down Return Down Down Down Down Down Return Escape
check "a changed setting is written at once" wait_until 2 grep -q '^record_every_match = true$' "$settings"
press Escape
await_exit 5
check "Escape on the title ends with status 0 ($status)" [ "$status" -eq 0 ]
# After a restart the setting holds: the match is recorded, and the menus list and play the recording.
start_game --menu
sleep 1
press Return Return
sleep 3
press Escape Down Return
recorded=("$replays"/match-*.replay)
check "the match was recorded under a dated name" [ -f "${recorded[0]}" ]
# Watched from the menus: Space pauses and the picture stands still; Right seeks ahead while paused.
press Down Down Down Down Return Return
sleep 0.5
press space
sleep 0.3
still=$(picture watched)
sleep 0.5
check "the paused replay stands still" [ "$(picture watched_later)" = "$still" ]
press Right
sleep 0.3
check "a seek ahead while paused changes the picture" [ "$(picture watched_ahead)" != "$still" ]
press Escape Escape Escape
await_exit 5
check "Escape leaves the replay, its list and the title, with status 0 ($status)" [ "$status" -eq 0 ]

# A match of set length ends on its result, from which it plays again or goes back to the title.
start_game --menu --ticks 120
sleep 1
press Down Return
matches_ended() { holds "$(grep -c '^match ended after 120 ticks' "$work/stdout") >= $1"; }
check "two players on this machine play to the set length" wait_until 5 matches_ended 1
press Return
check "Play again plays the same match again" wait_until 5 matches_ended 2
press Down Return Escape
await_exit 5
check "Back to the menu, then Escape on the title, ends with status 0 ($status)" [ "$status" -eq 0 ]

# Hosting from the menus on the port the settings hold; another machine (here headless, on the loopback)
# joins, the match plays, and leaving from the menus tells the other machine, which ends with status 3.
echo 'host_port = 7893' >"$settings"
start_game --menu
sleep 1
press Down Down Return
(cd "$content_root" && exec env ALSOFT_DRIVERS=null "$program" --join 127.0.0.1:7893 --headless --player2 bot) \
    >"$work/joiner.out" 2>"$work/joiner.err" &
joiner=$!
joined() { grep -q '^der init$' "$work/joiner.out" && holds "$(id_lines) > 0"; }
check "a machine joins the match hosted from the menus" wait_until 10 joined
sleep 1
press Escape Return
joiner_status=running
wait_until 8 eval '! kill -0 $joiner 2>/dev/null' && { wait "$joiner" && joiner_status=0 || joiner_status=$?; }
check "leaving from the menus ends the other machine's match with status 3 ($joiner_status)" [ "$joiner_status" = 3 ]
press Escape
await_exit 5
check "back on the title, Escape ends with status 0 ($status)" [ "$status" -eq 0 ]

# Two windows, each on a display of its own, host and join through the menus on the loopback (the joiner
# typing the address) and play a short match to its end: both print the same summary and show the result,
# from which Back to the menu, then Escape, ends with status 0.
port=$((20000 + RANDOM % 20000))
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/joiner.display" 2>/dev/null &
others+=($!)
wait_until 10 test -s "$work/joiner.display"
joiner_display=:$(cat "$work/joiner.display")
# on_joiner <command...>: the command (a function of this script too) on the joiner's display.
on_joiner() { (export DISPLAY=$joiner_display && "$@"); }
echo "host_port = $port" >"$settings"
start_game --menu --ticks 300
xdotool windowfocus --sync "$window"
sleep 1
press Down Down Return
mapfile -t environment < <(game_env)
(cd "$content_root" && DISPLAY=$joiner_display XDG_CONFIG_HOME="$work/joiner_config" \
    exec env "${environment[@]}" "$program" --menu --ticks 300) >"$work/joiner.out" 2>"$work/joiner.err" &
joiner=$!
others+=("$joiner")
joiner_window=$(on_joiner timeout 20 xdotool search --sync --name '^Skirmora$' | head -n 1) || true
on_joiner xdotool windowfocus --sync "$joiner_window"
sleep 1
on_joiner press Down Down Down Return
on_joiner xdotool type --delay 100 "127.0.0.1:$port"
on_joiner press Return
summary() { grep -m 1 '^match ended after 300 ticks' "$1"; }
both_ended() { summary "$work/stdout" >/dev/null && summary "$work/joiner.out" >/dev/null; }
check "the windows hosting and joining from the menus play the short match to its end" wait_until 20 both_ended
check "both end with the same summary: $(summary "$work/stdout")" \
    [ "$(summary "$work/stdout")" = "$(summary "$work/joiner.out")" ]
sleep 0.5
xdotool windowfocus --sync "$window"
press Down Return Escape
await_exit 5
check "the host shows the result: Back to the menu, then Escape, ends with status 0 ($status)" [ "$status" -eq 0 ]
on_joiner xdotool windowfocus --sync "$joiner_window"
on_joiner press Down Return Escape
joiner_status=running
wait_until 5 eval '! kill -0 $joiner 2>/dev/null' && { wait "$joiner" && joiner_status=0 || joiner_status=$?; }
check "and so does the joiner ($joiner_status)" [ "$joiner_status" = 0 ]

echo 'volume = loud' >"$settings"
start_game --menu
sleep 1
check "a damaged settings file gives one line naming it" \
    [ "$(cat "$work/stderr")" = "skirmora: $settings:1: 'volume' must be a volume from 0 to 100; playing with the default settings" ]
quit_from_title
check "the damaged file is left as it was" [ "$(cat "$settings")" = "volume = loud" ]
finish
