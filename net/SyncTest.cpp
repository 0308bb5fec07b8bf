#include "SyncTest.h"

#include <algorithm>
#include <cassert>

SyncTest::SyncTest(RollbackGame& game, int distance) : game(game), distance(distance)
{
    assert(distance >= 1 && distance <= kSnapshotSlots);
}

std::optional<int> SyncTest::step(const MatchInput& input)
{
    const int tick = nextTick++;
    const int slot = tick % kSnapshotSlots;
    game.save(slot);
    inputs[slot] = input;
    game.step(input);
    checksums[slot] = game.checksum();

    const int from = std::max(0, nextTick - distance);
    game.restore(from % kSnapshotSlots);
    for (int again = from; again < nextTick; ++again) {
        // Saving again on the way checks that a snapshot taken after a restore is as good as the first.
        const int againSlot = again % kSnapshotSlots;
        game.save(againSlot);
        game.step(inputs[againSlot]);
        if (game.checksum() != checksums[againSlot]) return again;
    }
    return std::nullopt;
}
