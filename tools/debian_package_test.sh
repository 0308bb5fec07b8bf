#!/usr/bin/env bash
# Builds the Debian package and proves it on a pristine Debian 12: a fresh minimal system made with debootstrap,
# where `apt install ./skirmora_*.deb` alone brings in everything the game needs. Then, from /, the installed game
# plays a headless match and opens its window on a virtual display (set up in the system only for the test),
# showing the players in their colours with the game's one line about the missing sound card as its only message.
# Needs root, debootstrap and Debian's package mirror (the one this machine's apt uses); not part of CI.
# Usage: tools/debian_package_test.sh [folder for the new system, made afresh; default: a temporary one]
set -euo pipefail
cd "$(dirname "$0")/.."

[[ $(id -u) -eq 0 ]] || { echo "Run this as root: it makes and enters a new system." >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y debootstrap
command -v dpkg-shlibdeps >/dev/null || apt-get install -y dpkg-dev

# The package, from an optimised build without tests or benchmarks.
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DSKIRMORA_TESTS=OFF -DSKIRMORA_BENCH=OFF >/dev/null
cmake --build build/package --parallel 2 >/dev/null
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls build/package/skirmora_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

# A folder given is kept afterwards, to look around in; a temporary one goes.
root=${1:-$(mktemp -d /var/tmp/skirmora-debian12.XXXXXX)}
keep=${1:+yes}
rm -rf "$root"
mkdir -p "$root"
cleanup() {
    for mount in dev/pts proc; do umount "$root/$mount" 2>/dev/null || true; done
    [[ -n $keep ]] || rm -rf "$root"
}
trap cleanup EXIT

# The same mirror as this machine's apt, as a new Debian 12 system would be set up.
mirror=$(awk '/^URIs:/ { print $2; exit } /^deb / { print $2; exit }' \
    /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list 2>/dev/null || true)
echo "== making a minimal Debian 12 in $root"
debootstrap --variant=minbase bookworm "$root" ${mirror:+"$mirror"} >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
[[ -f /etc/apt/sources.list.d/debian.sources ]] && cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" &&
    rm -f "$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
mkdir -p "$root/dev/pts" && mount -t devpts devpts "$root/dev/pts"
cp "$deb" "$root/tmp/"
inside() { chroot "$root" env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== apt install ./$(basename "$deb")"
inside apt-get update -qq
inside sh -c "cd /tmp && apt-get install -y ./$(basename "$deb")" >"$root/tmp/apt.log" 2>&1 ||
    { cat "$root/tmp/apt.log"; exit 1; }
grep -E '^(Setting up skirmora|[0-9]+ upgraded, )' "$root/tmp/apt.log"
inside dpkg -L skirmora | grep -E 'bin/|\.desktop|metainfo|\.6$|256x256'

echo "== from /: skirmora --version; a headless match"
inside sh -c 'cd / && skirmora --version && skirmora --headless --ticks 3600 --player1 bot --player2 bot:4 | tail -n 1'

# The window: a virtual display (not the package's to bring) and a screenshot after three seconds.
echo "== from /: a window on a virtual display"
inside apt-get install -y -qq --no-install-recommends xvfb xauth x11-apps >/dev/null 2>&1
inside sh -c 'cd / && xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
    skirmora --player1 bot:1 --player2 bot:2 --ticks 300 >/tmp/window.out 2>/tmp/window.err & game=\$!
    sleep 3; xwd -root -silent >/tmp/window.xwd; wait \$game"; echo "status $?"'
echo "standard error:"
sed 's/^/  /' "$root/tmp/window.err"
convert "$root/tmp/window.xwd" -crop 800x600+0+0 +repage build/package/debian12_window.png
colour() {
    convert build/package/debian12_window.png -depth 8 rgb:- | od -An -v -tu1 -w3 |
        awk -v kind="$1" '{ hit = kind == "blue" ? $3 >= 128 && $3 - $1 >= 64 : $1 >= 128 && $1 - $3 >= 64; n += hit }
                          END { print n + 0 }'
}
blue=$(colour blue)
red=$(colour red)
echo "window: $blue blue pixels (player 1), $red red (player 2 and the ball); build/package/debian12_window.png"
missing=$(grep -c 'loading image unsuccessful' "$root/tmp/window.out" || true)
echo "images not loaded: $missing"
[[ $blue -gt 150 && $red -gt 150 && $missing -eq 0 &&
    $(cat "$root/tmp/window.err") == "skirmora: no audio device; playing silent" ]] && echo "PASS" || { echo "FAIL"; exit 1; }
