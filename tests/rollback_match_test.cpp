#include <algorithm>
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

// Every step is reported with its tick and events: after a restore the ticks count on from the snapshot's, and a
// tick run again has the events of its new input. Nobody asking keeps only the latest runs.
TEST(RollbackMatch, ReportsEachRunWithItsTickAndEvents)
{
    std::ostringstream console;
    MySim match(console);
    match.init();
    RollbackMatch rollback(match);
    rollback.keepRuns = true;
    rollback.save(0);
    rollback.step({{}, {10, 0, true, false}}); // player 2 fires
    rollback.step({});
    rollback.save(1);
    rollback.step({});
    rollback.restore(0);
    rollback.step({});
    rollback.restore(1);
    rollback.step({});
    std::vector<std::pair<std::uint32_t, std::size_t>> runs; // tick, shots
    for (const TickRun& run : rollback.takeRuns())
        runs.emplace_back(run.tick, std::count_if(run.events.begin(), run.events.end(), [](const MatchEvent& event) {
                              return event.kind == MatchEventKind::BulletFired;
                          }));
    EXPECT_EQ(runs, (decltype(runs){{0, 1}, {1, 0}, {2, 0}, {0, 0}, {2, 0}}));

    for (int tick = 0; tick < 100; ++tick) rollback.step({});
    const std::vector<TickRun> kept = rollback.takeRuns();
    ASSERT_TRUE(!kept.empty() && kept.size() <= 64u) << kept.size();
    EXPECT_EQ(kept.back().tick, 102u);
    EXPECT_TRUE(rollback.takeRuns().empty());
}

} // namespace
