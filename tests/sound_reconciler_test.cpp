#include <gtest/gtest.h>

#include "SoundReconciler.h"

namespace {

using Kind = MatchEventKind;
using Ids = std::vector<SoundId>;

TickRun run(std::uint32_t tick, std::initializer_list<Kind> kinds)
{
    TickRun result{tick, {}};
    for (const Kind kind : kinds) result.events.push_back({kind, {float(tick), 0.0f}, 0});
    return result;
}

Ids started(const SoundChanges& changes)
{
    Ids ids;
    for (const SoundStart& start : changes.starts) ids.push_back(start.id);
    return ids;
}

// A tick's first run is heard whole; a run after a rollback starts only the events it did not have and stops
// the ones it no longer has; an event undone and brought back by a later run is heard again.
TEST(SoundReconciler, EachEventIsHeardOnceHoweverOftenItsTickRuns)
{
    SoundReconciler sound;
    const TickRun first = run(5, {Kind::BulletFired, Kind::BulletBounced, Kind::BulletBounced});
    SoundChanges changes = sound.update({first});
    EXPECT_EQ(started(changes),
              (Ids{{5, Kind::BulletFired, 0}, {5, Kind::BulletBounced, 0}, {5, Kind::BulletBounced, 1}}));
    EXPECT_EQ(started(sound.update({first, run(6, {Kind::BallThrown})})), (Ids{{6, Kind::BallThrown, 0}}));

    // In another order, with a third bounce: that bounce alone, where the latest run put it.
    changes =
        sound.update({run(5, {Kind::BulletBounced, Kind::BulletFired, Kind::BulletBounced, Kind::BulletBounced})});
    EXPECT_EQ(started(changes), (Ids{{5, Kind::BulletBounced, 2}}));
    EXPECT_EQ(changes.starts[0].event.position.x, 5.0f);
    EXPECT_TRUE(changes.stops.empty());

    changes = sound.update({run(5, {Kind::BulletBounced}), run(6, {})});
    EXPECT_TRUE(changes.starts.empty());
    EXPECT_EQ(changes.stops, (Ids{{5, Kind::BulletFired, 0},
                                  {5, Kind::BulletBounced, 1},
                                  {5, Kind::BulletBounced, 2},
                                  {6, Kind::BallThrown, 0}}));

    // Ticks run twice in one frame: only their latest runs are heard.
    changes = sound.update({run(6, {Kind::PlayerDied}), run(5, {Kind::BulletBounced}), run(6, {Kind::BallThrown}),
                            run(5, {Kind::BulletBounced, Kind::BulletFired})});
    EXPECT_EQ(started(changes), (Ids{{5, Kind::BulletFired, 0}, {6, Kind::BallThrown, 0}}));
    EXPECT_TRUE(changes.stops.empty());
}

// Only the latest 16 ticks are compared; an older tick counts as heard. The scrape loop follows the newest tick.
TEST(SoundReconciler, OldTicksFallOutAndTheScrapeFollowsTheNewestTick)
{
    SoundReconciler sound;
    for (std::uint32_t tick = 0; tick <= 20; ++tick) sound.update({run(tick, {Kind::WallScrape})});
    SoundChanges changes = sound.update({run(4, {Kind::PlayerDied}), run(5, {}), run(21, {Kind::BallThrown})});
    EXPECT_EQ(started(changes), (Ids{{21, Kind::BallThrown, 0}}));
    EXPECT_EQ(changes.stops, (Ids{{5, Kind::WallScrape, 0}}));
    EXPECT_FALSE(changes.scrape);

    changes = sound.update({run(21, {Kind::WallScrape})});
    ASSERT_TRUE(changes.scrape);
    EXPECT_EQ(changes.scrape->id, (SoundId{21, Kind::WallScrape, 0}));
    EXPECT_TRUE(sound.update({}).scrape) << "a frame that ran no tick changes nothing";
}

} // namespace
