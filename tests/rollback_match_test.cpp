#include <gtest/gtest.h>
#include <sstream>

#include "MySim.h"
#include "PlayerSources.h"
#include "RollbackMatch.h"
#include "SyncTest.h"

namespace {

// The arena as rollback runs it, at its worst: after every tick it goes back the full eight ticks and runs them
// again, under heavy fire, deaths and respawns; any state a snapshot misses, or a tick that depends on anything
// but state and input, shows as a checksum that differs the second time.
TEST(RollbackMatch, EveryTickRunsAgainFromEightTicksBackToTheSameChecksum)
{
    std::ostringstream console;
    MySim match(console);
    match.init();
    // Weak players, so that both die and come back within the run.
    match.p1Health = 10;
    match.p2Health = 20;
    RollbackMatch rollback(match);
    SyncTest sync(rollback, kSnapshotSlots);
    RandomSource player1(3), player2(4);
    for (int tick = 0; tick < 900; ++tick) {
        MatchInput input;
        input.player1 = player1.next(match, 1).player1;
        input.player2 = player2.next(match, 2).player2;
        ASSERT_EQ(sync.step(input), std::nullopt) << "tick " << tick;
    }
    EXPECT_GT(match.p1Score + match.p2Score, 0);
}

} // namespace
