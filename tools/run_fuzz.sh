#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for a bounded time; any finding (a crash, a leak, a
# sanitizer report) fails.
#   FUZZ_SECONDS    run time of each fuzzer (default 30)
#   FUZZ_SEED       the fuzzers' random seed (default 1, so that a run repeats what the last one
#                   tried, as far as the time allows; 0 picks a fresh one, to explore further)
#   FUZZ_BUILD_DIR  build directory (default build/fuzz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
seconds="${FUZZ_SECONDS:-30}"
seed="${FUZZ_SEED:-1}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
      -DCMAKE_CXX_COMPILER=clang++ -DSKIRMORA_FUZZ=ON -DSKIRMORA_TESTS=ON -DSKIRMORA_BENCH=OFF
cmake --build "$build" --target collision_fuzz image_fuzz packet_fuzz -j 2

mkdir -p "$build/fuzz-corpus" "$build/image-corpus" "$build/image-seeds" "$build/packet-corpus" "$build/fuzz-artifacts"
"$build/tests/fuzz/collision_fuzz" -max_total_time="$seconds" -seed="$seed" -artifact_prefix="$build/fuzz-artifacts/" \
    "$build/fuzz-corpus"

# The image fuzzer starts from the game's own images, each behind the first byte that says how to
# prepare it: as it is, with its image data recompressed, with its chunk checksums repaired.
for image in "$root"/Content/Graphics/*; do
    for mode in 0 1 2; do
        { printf "\\x0$mode"; cat "$image"; } >"$build/image-seeds/$mode-$(basename "$image")"
    done
done
"$build/tests/fuzz/image_fuzz" -max_total_time="$seconds" -seed="$seed" -artifact_prefix="$build/fuzz-artifacts/image-" \
    "$build/image-corpus" "$build/image-seeds"

# The datagram decoder, fed as a hostile peer would feed it.
"$build/tests/fuzz/packet_fuzz" -max_total_time="$seconds" -seed="$seed" -artifact_prefix="$build/fuzz-artifacts/packet-" \
    "$build/packet-corpus"
