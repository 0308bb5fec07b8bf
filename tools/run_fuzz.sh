#!/usr/bin/env bash
# Builds the collision fuzzer with clang and runs it for a bounded time; any finding fails.
#   FUZZ_SECONDS    run time (default 60)
#   FUZZ_BUILD_DIR  build directory (default build/fuzz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
seconds="${FUZZ_SECONDS:-60}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
      -DCMAKE_CXX_COMPILER=clang++ -DSKIRMORA_FUZZ=ON -DSKIRMORA_TESTS=ON -DSKIRMORA_BENCH=OFF
cmake --build "$build" --target collision_fuzz -j 2

mkdir -p "$build/fuzz-corpus" "$build/fuzz-artifacts"
# The collision code prints a line for every unresolvable (NaN) axis: close stdout to keep the log short.
"$build/tests/fuzz/collision_fuzz" -max_total_time="$seconds" -close_fd_mask=1 \
    -artifact_prefix="$build/fuzz-artifacts/" "$build/fuzz-corpus"
