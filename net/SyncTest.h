#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "MatchInput.h"
#include "RollbackGame.h"

// Runs a game as a rollback session would at its worst: after every tick it goes back `distance` ticks and runs
// them again, comparing each checksum with the first run's. A difference means the snapshot misses some state or a
// tick depends on something besides state and input; running this in CI finds both long before a real desync.
class SyncTest {
public:
    // distance: ticks re-run after each one, 1 to kSnapshotSlots.
    explicit SyncTest(RollbackGame& game, int distance = 1);

    // Runs the next tick with input and re-runs the last `distance` ticks. Returns the first tick whose re-run
    // checksum differed, or nothing when all agreed.
    std::optional<int> step(const MatchInput& input);

    // The next tick to run.
    int currentTick() const { return nextTick; }

private:
    RollbackGame& game;
    int distance;
    int nextTick = 0;
    std::array<MatchInput, kSnapshotSlots> inputs{};
    std::array<std::uint64_t, kSnapshotSlots> checksums{};
};
