#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "MySim.h"
#include "RollbackGame.h"
#include "TickRun.h"

// The arena match as rollback sees it: whole-match snapshots in slots, ticks stepped with the match's input
// alone. The window's keys never enter: this match may run a tick several times. Its window's new sizes enter
// the next tick to run, once.
class RollbackMatch : public RollbackGame {
public:
    explicit RollbackMatch(MySim& match) : match(match) {}

    // A snapshot remembers the tick it was taken before, so that steps after a restore know their ticks.
    void save(int slot) override;
    // The camera is this machine's own view and follows the players smoothly, so going back leaves it where it
    // is rather than making the picture jump.
    void restore(int slot) override;
    void step(const MatchInput& input) override;
    std::uint64_t checksum() const override { return match.checksum(); }

    // The ticks stepped since the last call, in the order they ran, each with the events it produced; a tick
    // run again after a restore appears again. For whoever listens to the match (its sound).
    std::vector<TickRun> takeRuns();
    // Whether steps keep their runs: only while someone listens, so that a silent match copies no events.
    bool keepRuns = false;
    // Sizes the window took that the next step fits the view to.
    std::vector<std::pair<int, int>> reshapesToCome;

private:
    // Runs kept for a caller that asks seldom: far more than one frame runs, which is a rollback's ticks and a
    // new one.
    static constexpr std::size_t kRunsKept = 4 * kSnapshotSlots;

    MySim& match;
    std::array<MatchSnapshot, kSnapshotSlots> slots;
    std::array<std::uint32_t, kSnapshotSlots> slotTicks{};
    std::uint32_t nextTick = 0;
    std::vector<TickRun> runs;
};
