#!/usr/bin/env bash
# Sets up, builds and starts Skirmora from the source tree, where its images live.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target skirmora

if [[ -z "${DISPLAY:-}" ]]; then
    cat >&2 <<'MSG'
Skirmora is built, but it needs a graphical display and none is set (DISPLAY is empty).
Start it from a desktop session, or run it in a virtual display:
  xvfb-run -a -s "-screen 0 1024x768x24" tools/play.sh
MSG
    exit 1
fi
# With no options of its own, the game starts on its title menu.
[[ $# -gt 0 ]] || set -- --menu
exec build/release/session/skirmora "$@"
