#pragma once

#include <cstdint>

#include "MatchInput.h"

// How many ticks a session runs ahead of the peer's known input, guessing it, before it waits.
inline constexpr int kMaxPredictedTicks = 8;
// Snapshots a session keeps: one before each tick that may still be rolled back.
inline constexpr int kSnapshotSlots = kMaxPredictedTicks;

// What rollback asks of a match: keep a few snapshots of its whole state, go back to one, advance one tick with
// both players' inputs, and summarise its state in a checksum. Everything else (whose input it is, prediction,
// resends, time sync) belongs to the session above it.
class RollbackGame {
public:
    virtual ~RollbackGame() = default;

    // Stores the whole match state in slot, 0 <= slot < kSnapshotSlots, replacing what the slot held.
    virtual void save(int slot) = 0;
    // Makes the match state exactly what save(slot) stored.
    virtual void restore(int slot) = 0;
    // Runs one tick. It must depend on nothing but the state and input: no clock, window or process-wide state.
    virtual void step(const MatchInput& input) = 0;
    // A summary of the match state, equal on two machines whose states are equal; never of camera or window.
    virtual std::uint64_t checksum() const = 0;
};
