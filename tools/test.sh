#!/usr/bin/env bash
# Sets up, builds and runs every test: the plain debug build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

cmake --preset dev
cmake --build --preset dev
ctest --preset dev

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

if [[ -x tools/run_fuzz.sh ]]; then
    tools/run_fuzz.sh
fi
