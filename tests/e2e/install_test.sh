#!/usr/bin/env bash
# Installs the build to a temporary prefix and runs the installed program from /, as a player would: a headless
# match, then the window under a virtual display with the players in their colours and no image or sound missing;
# the install moved elsewhere; SKIRMORA_DATA naming a folder without images; a program with no data beside it; a
# staged install (DESTDIR); and the desktop entry, metadata and man page through their validators.
# Usage: install_test.sh <build folder> <project version>
set -euo pipefail

build=$(realpath "$1")
version=$2
source "$(dirname "$0")/lib.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
program=$prefix/bin/skirmora
content_root=/
app=org.skirmora.Skirmora

# Outputs and status of the installed program run from / with the given environment and arguments.
run_from_root() { (cd / && env "$@" >"$work/run.out" 2>"$work/run.err") && status=0 || status=$?; }

# Version and a headless match: no display, no data needed.
run_from_root -u DISPLAY "$program" --version
check "--version prints the project's version" [ "$(cat "$work/run.out")" = "skirmora $version" ]
run_from_root -u DISPLAY "$program" --headless --ticks 600 --player1 bot --player2 random:1
summary='^match ended after 600 ticks: player 1 health -?[0-9]+ score [0-9]+, player 2 health -?[0-9]+ score [0-9]+$'
check "headless match from /: status 0 ($status), its summary last" \
    eval '[ "$status" = 0 ] && tail -n 1 "$work/run.out" | grep -qE "$summary"'
check "headless match: nothing on standard error" [ ! -s "$work/run.err" ]

# play_shows <what>: starts the installed program from / and checks the players in their colours at their start
# places and that every image and sound was found, then ends it.
play_shows() {
    start_game
    sleep 3
    local arena n x y
    arena=$(shot "$1")
    read -r n x y < <(pixels "$arena" blue)
    check "$1: blue player 1, $n pixels around ($x, $y)" \
        holds "$n > 150 && $n < 400 && ($x - 222)^2 + ($y - 300)^2 < 36"
    read -r n x y < <(pixels "$arena" red)
    check "$1: red player 2, $n pixels around ($x, $y)" \
        holds "$n > 150 && $n < 400 && ($x - 578)^2 + ($y - 300)^2 < 36"
    hold Escape 0.2
    await_exit 5
    check "$1: Escape ends it ($status)" [ "$status" = 1 ]
    check "$1: every image loaded" eval '! grep -q "loading image unsuccessful" "$work/stdout"'
    # Sound plays on OpenAL's null device (lib.sh), so each clip is read and a missing one would be named.
    check "$1: no image or sound reported, nothing else either" [ ! -s "$work/stderr" ]
}
play_shows installed

# The whole tree moved: the program still finds its data beside it.
mkdir "$work/elsewhere"
mv "$prefix" "$work/elsewhere/moved"
program=$work/elsewhere/moved/bin/skirmora
play_shows moved

# One clear line and status 2 when the data is not where it is looked for, naming where that was.
mkdir "$work/no-images"
run_from_root SKIRMORA_DATA="$work/no-images" "$program"
check "SKIRMORA_DATA without images: status 2 ($status)" [ "$status" = 2 ]
check "SKIRMORA_DATA without images: one line naming it" \
    eval '[ "$(wc -l <"$work/run.err")" = 1 ] && grep -q "SKIRMORA_DATA is $work/no-images, " "$work/run.err"'
mkdir -p "$work/lonely/bin"
cp "$program" "$work/lonely/bin/"
run_from_root "$work/lonely/bin/skirmora" --player2 bot
check "no data beside the program: status 2 ($status)" [ "$status" = 2 ]
check "no data beside the program: one line naming where it looked" \
    eval '[ "$(wc -l <"$work/run.err")" = 1 ] && grep -q " $work/lonely/share/skirmora;" "$work/run.err"'

# Staged for a package: everything lands under DESTDIR.
DESTDIR=$work/stage cmake --install "$build" --prefix /opt/skirmora >/dev/null
staged=$work/stage/opt/skirmora
check "DESTDIR stages the program and its data" \
    eval '[ -x "$staged/bin/skirmora" ] && [ -f "$staged/share/skirmora/Graphics/dCircle.png" ] &&
          [ -f "$staged/share/skirmora/Sounds/ballThrown.wav" ] && [ ! -e /opt/skirmora/bin/skirmora ]'

# The desktop's files, as installed.
share=$work/elsewhere/moved/share
check "desktop entry valid" desktop-file-validate "$share/applications/$app.desktop"
check "metainfo valid" appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml"
check "metainfo, desktop entry and tree agree" appstreamcli validate-tree --no-net "$work/elsewhere/moved"
check "metainfo names this release" grep -q "<release version=\"$version\"" "$share/metainfo/$app.metainfo.xml"
for size in 64 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/$app.png
    check "icon at $size pixels" [ "$(identify -format '%wx%h' "$icon" 2>&1)" = "${size}x$size" ]
done

# The man page renders cleanly and tells the same options and sources as --help.
page=$share/man/man6/skirmora.6
MANWIDTH=80 man --warnings --nh --nj -l "$page" >"$work/man.txt" 2>"$work/man.err"
check "man page renders without warnings" [ ! -s "$work/man.err" ]
check "man page is this version's" grep -q "skirmora $version" "$work/man.txt"
"$program" --help >"$work/help.txt"
options() { grep -oE -- '--[a-z][a-z0-9-]*' "$1" | sort -u; }
check "man page and --help name the same options" diff <(options "$work/help.txt") <(options "$work/man.txt")
for source in local "bot[:LEVEL][:SEED]" easy normal hard random:SEED idle remote; do
    check "--help and man page both tell source $source" eval 'grep -qwF -- "$source" "$work/help.txt" &&
        grep -qwF -- "$source" "$work/man.txt"'
done
for variable in SKIRMORA_DATA SKIRMORA_SOUND_LOG; do
    check "man page tells $variable" grep -q "^ *$variable$" "$work/man.txt"
done
finish
