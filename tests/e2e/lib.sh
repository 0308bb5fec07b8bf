# Shared by the end-to-end scripts (sourced, not run): a virtual display, the game started from the
# source tree, input, screenshots and pixel measurements, and pass/fail counting.
# The caller sets program and content_root before start_game.

# Sourcing re-runs the calling script, with its arguments, inside a fresh virtual display of a known
# size (and the caller's xvfb_options) unless one was handed to it.
if [[ -z "${SKIRMORA_IN_XVFB:-}" ]]; then
    export SKIRMORA_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 ${xvfb_options:-}" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${game_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# check <description> <command...>: passes when the command succeeds.
check() { if "${@:2}"; then pass "$1"; else fail "$1"; fi; }
finish() { echo "$failures failed" && ((failures == 0)); }

# Awk arithmetic as a condition, e.g. holds "$x > 200 && $n > 100".
holds() { awk "BEGIN { exit !($*) }"; }

# The program's environment, one VAR=value a line: its sound on OpenAL's null device (mixed, never
# heard) unless the caller chose a configuration; in a sanitizer build, a report (a leak too) exits
# with 23, apart from the game's own 1 for Escape.
game_env() {
    [[ -n ${ALSOFT_CONF:-} ]] || echo "ALSOFT_DRIVERS=null"
    [[ $(ldd "$program") == *libasan* ]] || return 0
    printf '%s\n' "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:exitcode=23" \
        "UBSAN_OPTIONS=${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=23"
}

# Sanitizer reports the program wrote to standard error so far.
sanitizer_reports() { grep -E 'ERROR: AddressSanitizer|runtime error:|LeakSanitizer' "$work/stderr" || true; }

# start_game [options...]: starts the game with those options (stdout to $work/stdout) and sets
# game_pid and window; exits if no window shows.
start_game() {
    local environment
    mapfile -t environment < <(game_env)
    (cd "$content_root" && exec env "${environment[@]}" "$program" "$@") >"$work/stdout" 2>"$work/stderr" &
    game_pid=$!
    window=$(timeout 20 xdotool search --sync --name '^Skirmora$' | head -n 1) || true
    if [[ -z "$window" ]]; then
        fail "no window titled Skirmora appeared"
        cat "$work/stderr"
        exit 1
    fi
}

# shot <name>: saves the window as $work/<name>.png and prints that path.
shot() {
    import -window "$window" "$work/$1.png"
    echo "$work/$1.png"
}

# pixels <image> <kind> [x y width height]: "count meanX meanY" of the pixels of that kind in the region
# (window pixels, origin top-left; mean -1 when there are none). Kinds, from the game's images:
# blue (player 1), red (player 2 and the ball: red to orange), white (walls, sight line, text), lit.
pixels() {
    local image=$1 kind=$2 x=${3:-0} y=${4:-0} w=${5:-800} h=${6:-600}
    convert "$image" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 rgb:- | od -An -v -tu1 -w3 |
        awk -v kind="$kind" -v x0="$x" -v y0="$y" -v w="$w" '
        {
            r = $1; g = $2; b = $3
            if (kind == "blue") hit = b >= 128 && b - r >= 64
            else if (kind == "red") hit = r >= 128 && r - b >= 64
            else if (kind == "white") hit = r >= 200 && g >= 200 && b >= 200
            else hit = r + g + b >= 60
            if (hit) { n++; sx += (NR - 1) % w; sy += int((NR - 1) / w) }
        }
        END { if (n) printf "%d %.1f %.1f\n", n, x0 + sx / n, y0 + sy / n; else print "0 -1 -1" }'
}

# count|meanx <image> <kind> [region]: one field of pixels.
count() { pixels "$@" | cut -d' ' -f1; }
# where <kind>: "meanX meanY" of that kind's pixels in a fresh shot that shows some (tries for 3 s).
where() {
    local n x y tries=30
    while read -r n x y < <(pixels "$(shot "where_$1")" "$1") && ((n < 100 && --tries > 0)); do sleep 0.1; done
    echo "$x $y"
}
# moves <kind>: a fresh shot shows that kind more than 15 pixels from (x0, y0), where it was first seen.
# The camera follows both players, so a player's own motion shows only once it outruns the view's.
moves() {
    read -r x1 y1 < <(where "$1")
    holds "($x1 - $x0)^2 + ($y1 - $y0)^2 > 225"
}
meanx() { pixels "$@" | cut -d' ' -f2; }

# wait_until <seconds> <command...>: polls the command until it succeeds; fails after the timeout.
wait_until() {
    local deadline
    deadline=$(awk -v now="$EPOCHREALTIME" -v wait="$1" 'BEGIN { printf "%.6f", now + wait }')
    shift
    until "$@"; do
        holds "$EPOCHREALTIME < $deadline" || return 1
        sleep 0.05
    done
}

# hold <key> <seconds>: holds a key through the X test extension, like a player's finger.
hold() { xdotool keydown "$1" sleep "$2" keyup "$1"; }

# await_exit <seconds>: sets status to the game's exit status once it has ended within that time,
# else to "running".
await_exit() {
    status=running
    wait_until "$1" ended || return 0
    wait "$game_pid" && status=0 || status=$?
}
alive() { kill -0 "$game_pid" 2>/dev/null; }
ended() { ! alive; }

# Number of component id lines (bare integers) the game has printed so far.
id_lines() { grep -cE '^[0-9]+$' "$work/stdout" || true; }
