#!/bin/sh
# Renders a still test scene (circles and polygons with the game's images) and saves it as a PNG.
# Usage: tools/screenshot_scene.sh <output.png> [build directory, default build/dev]
# Runs under a virtual display when no DISPLAY is set. Needs ImageMagick's convert.
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 <output.png> [build directory]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "$1")
build=$(realpath -m "${2:-$root/build/dev}")

cmake --build "$build" --target scene_demo >/dev/null
demo=$build/tools/scene_demo
[ -x "$demo" ] || { echo "scene_demo was not built in $build" >&2; exit 1; }

frame=$(mktemp --suffix=.ppm)
trap 'rm -f "$frame"' EXIT
# The demo loads Content/Graphics relative to the working directory.
cd "$root"
if [ -n "${DISPLAY:-}" ]; then
    "$demo" "$frame"
else
    xvfb-run -a -s "-screen 0 1024x768x24" "$demo" "$frame"
fi
convert "$frame" "$output"
echo "$output"
