#include "RollbackMatch.h"

#include <cassert>

void RollbackMatch::save(int slot)
{
    assert(slot >= 0 && slot < kSnapshotSlots);
    slots[static_cast<std::size_t>(slot)] = match.save();
}

void RollbackMatch::restore(int slot)
{
    assert(slot >= 0 && slot < kSnapshotSlots);
    const Camera view = match.camera;
    match.restore(slots[static_cast<std::size_t>(slot)]);
    match.camera = view;
}

void RollbackMatch::step(const MatchInput& input) { match.step(TickInput{input, {}}); }
