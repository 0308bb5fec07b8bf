#!/usr/bin/env bash
# Sets up, builds and runs every test: the formatting check, a bounded fuzzing run, the plain debug
# build, and the same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

tools/check_format.sh

tools/run_fuzz.sh

cmake --preset dev
cmake --build --preset dev
ctest --preset dev

cmake --preset asan
cmake --build --preset asan
ctest --preset asan
