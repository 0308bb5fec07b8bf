#include "RollbackMatch.h"

#include <cassert>
#include <utility>

void RollbackMatch::save(int slot)
{
    assert(slot >= 0 && slot < kSnapshotSlots);
    slots[static_cast<std::size_t>(slot)] = match.save();
    slotTicks[static_cast<std::size_t>(slot)] = nextTick;
}

void RollbackMatch::restore(int slot)
{
    assert(slot >= 0 && slot < kSnapshotSlots);
    const Camera view = match.camera;
    match.restore(slots[static_cast<std::size_t>(slot)]);
    match.camera = view;
    nextTick = slotTicks[static_cast<std::size_t>(slot)];
}

void RollbackMatch::step(const MatchInput& input)
{
    TickInput record{input, {}};
    record.window.reshapes.swap(reshapesToCome);
    match.step(record);
    const std::uint32_t tick = nextTick++;
    if (!keepRuns) return;
    if (runs.size() == kRunsKept) runs.erase(runs.begin());
    runs.push_back({tick, match.events});
}

std::vector<TickRun> RollbackMatch::takeRuns() { return std::exchange(runs, {}); }
