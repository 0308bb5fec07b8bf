#include <gtest/gtest.h>

#include "SoundReconciler.h"

// Ids read as numbers in failure messages (found by argument lookup, so beside SoundId).
void PrintTo(const SoundId& id, std::ostream* out)
{
    *out << "{tick " << id.tick << ", kind " << int(id.kind) << ", index " << id.index << "}";
}

namespace {

using Kind = MatchEventKind;

TickRun run(std::uint32_t tick, std::initializer_list<Kind> kinds)
{
    TickRun result{tick, {}};
    for (const Kind kind : kinds) result.events.push_back({kind, {float(tick), 0.0f}, 0});
    return result;
}

std::vector<SoundId> idsOf(const std::vector<SoundStart>& starts)
{
    std::vector<SoundId> ids;
    for (const SoundStart& start : starts) ids.push_back(start.id);
    return ids;
}

// A tick's first run is heard whole; its runs after a rollback start only events it did not have, stop
// the ones it no longer has, and an event undone and then brought back by a later run is heard again.
TEST(SoundReconciler, EachEventIsHeardOnceHoweverOftenItsTickRuns)
{
    SoundReconciler sound;
    SoundChanges changes = sound.update({run(5, {Kind::BulletFired, Kind::BulletBounced, Kind::BulletBounced})});
    EXPECT_EQ(
        idsOf(changes.starts),
        (std::vector<SoundId>{{5, Kind::BulletFired, 0}, {5, Kind::BulletBounced, 0}, {5, Kind::BulletBounced, 1}}));
    EXPECT_TRUE(changes.stops.empty());

    // Tick 5 again, the same, and a new tick: only the new tick is heard.
    changes = sound.update(
        {run(5, {Kind::BulletFired, Kind::BulletBounced, Kind::BulletBounced}), run(6, {Kind::BallThrown})});
    EXPECT_EQ(idsOf(changes.starts), (std::vector<SoundId>{{6, Kind::BallThrown, 0}}));
    EXPECT_TRUE(changes.stops.empty());

    // In another order, with a third bounce: that bounce alone, where the latest run put it.
    changes = sound.update({run(5, {Kind::BulletBounced, Kind::BulletFired, Kind::BulletBounced, Kind::BulletBounced}),
                            run(6, {Kind::BallThrown})});
    EXPECT_EQ(idsOf(changes.starts), (std::vector<SoundId>{{5, Kind::BulletBounced, 2}}));
    EXPECT_EQ(changes.starts[0].event.position.x, 5.0f);
    EXPECT_TRUE(changes.stops.empty());

    // Undone: the shot, two bounces and the throw stop.
    changes = sound.update({run(5, {Kind::BulletBounced}), run(6, {})});
    EXPECT_TRUE(changes.starts.empty());
    EXPECT_EQ(changes.stops, (std::vector<SoundId>{{5, Kind::BulletFired, 0},
                                                   {5, Kind::BulletBounced, 1},
                                                   {5, Kind::BulletBounced, 2},
                                                   {6, Kind::BallThrown, 0}}));

    // A frame that ran ticks twice: the runs before the latest were never heard. The shot and the throw are back.
    changes = sound.update({run(6, {Kind::PlayerDied}), run(5, {Kind::BulletBounced}), run(6, {Kind::BallThrown}),
                            run(5, {Kind::BulletBounced, Kind::BulletFired})});
    EXPECT_EQ(idsOf(changes.starts), (std::vector<SoundId>{{5, Kind::BulletFired, 0}, {6, Kind::BallThrown, 0}}));
    EXPECT_TRUE(changes.stops.empty());
}

// Only the latest 16 ticks are compared: a tick older than that is taken as heard and left alone.
TEST(SoundReconciler, OldTicksFallOutOfTheRecord)
{
    SoundReconciler sound;
    for (std::uint32_t tick = 0; tick <= 20; ++tick) sound.update({run(tick, {Kind::PlayerRespawned})});
    SoundChanges changes = sound.update({run(4, {}), run(5, {})});
    EXPECT_TRUE(changes.starts.empty());
    EXPECT_EQ(changes.stops, (std::vector<SoundId>{{5, Kind::PlayerRespawned, 0}}));
    changes = sound.update({run(4, {Kind::PlayerDied}), run(21, {Kind::PlayerDied})});
    EXPECT_EQ(idsOf(changes.starts), (std::vector<SoundId>{{21, Kind::PlayerDied, 0}}));
}

// The scrape loop plays while the newest tick has wall contact, also through frames that ran no tick.
TEST(SoundReconciler, TheScrapeFollowsTheNewestTick)
{
    SoundReconciler sound;
    const SoundId third{3, Kind::WallScrape, 0};
    SoundChanges changes = sound.update({run(3, {Kind::BulletFired, Kind::WallScrape})});
    ASSERT_TRUE(changes.scrape);
    EXPECT_EQ(changes.scrape->id, third);
    ASSERT_TRUE(sound.update({}).scrape);
    EXPECT_FALSE(sound.update({run(4, {})}).scrape);

    changes = sound.update({run(3, {Kind::BulletFired}), run(4, {Kind::WallScrape})});
    EXPECT_EQ(changes.stops, std::vector<SoundId>{third});
    ASSERT_TRUE(changes.scrape);
    EXPECT_EQ(changes.scrape->id, (SoundId{4, Kind::WallScrape, 0}));
}

} // namespace
