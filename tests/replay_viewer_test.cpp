#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "BusyInput.h"
#include "ReplayViewer.h"
#include "ViewerSession.h"

// The replay viewer: each of its moves leaves the match exactly where a straight replay stands at the
// same tick, and the console shows every tick's lines once.
namespace {

// Busy random input for both players, with deaths and respawns, bullets and balls in flight.
std::vector<TickInput> randomTicks(unsigned seed, int count)
{
    BusyInput input(seed);
    std::vector<TickInput> ticks;
    for (int tick = 0; tick < count; ++tick) ticks.push_back(input.next());
    return ticks;
}

// The recording played once from start to end: the checksum after every tick (entry 0 before the
// first) and everything printed.
struct StraightReplay {
    explicit StraightReplay(const std::vector<TickInput>& ticks)
    {
        MySim match(console);
        match.init();
        checksums.push_back(match.checksum());
        for (const TickInput& tick : ticks) {
            match.step(tick);
            checksums.push_back(match.checksum());
        }
    }
    std::ostringstream console;
    std::vector<std::uint64_t> checksums;
};

constexpr int kTicks = 2600;

struct ReplayViewerTest : testing::Test {
    std::vector<TickInput> ticks = randomTicks(3, kTicks);
    StraightReplay straight{ticks};
};

TEST_F(ReplayViewerTest, PlayedThroughItIsTheStraightReplayAndPausesOnTheLastTick)
{
    std::ostringstream console;
    ReplayViewer viewer(ticks, console);
    EXPECT_EQ(viewer.length(), std::size_t(kTicks));
    for (int frame = 0; frame < kTicks; ++frame) {
        viewer.frame();
        ASSERT_EQ(viewer.match().checksum(), straight.checksums[viewer.tick()]) << "tick " << viewer.tick();
    }
    EXPECT_EQ(viewer.tick(), std::size_t(kTicks));
    EXPECT_TRUE(viewer.paused());
    viewer.togglePause();
    EXPECT_TRUE(viewer.paused()) << "nothing is left to play";
    EXPECT_EQ(console.str(), straight.console.str());
    // The play had something to see: deaths and respawns.
    EXPECT_GT(viewer.match().p1Score + viewer.match().p2Score, 0);
}

// Any mix of the player's moves, thinned snapshots included: after each, the match is the straight
// replay's at the same tick, and in the end the console has printed exactly what the straight replay
// printed, each line once.
TEST_F(ReplayViewerTest, AfterAnyMoveTheMatchIsTheStraightReplaysAtThatTick)
{
    for (const std::size_t snapshotLimit : {ReplayViewer::kMaxSnapshots, std::size_t(4)}) {
        std::mt19937 chooser(static_cast<unsigned>(snapshotLimit));
        std::ostringstream console;
        ReplayViewer viewer(ticks, console, {}, snapshotLimit);
        for (int move = 0; move < 300; ++move) {
            const unsigned kind = chooser() % 9;
            std::string what;
            switch (kind) {
            case 0: viewer.seekTo(chooser() % (kTicks + 10)), what = "seek to"; break;
            case 1: viewer.seekBy(-static_cast<long long>(ReplayViewer::kShortSeek)), what = "back 5 s"; break;
            case 2: viewer.seekBy(static_cast<long long>(ReplayViewer::kShortSeek)), what = "ahead 5 s"; break;
            case 3: viewer.seekBy(-static_cast<long long>(ReplayViewer::kLongSeek)), what = "back 30 s"; break;
            case 4: viewer.seekBy(static_cast<long long>(ReplayViewer::kLongSeek)), what = "ahead 30 s"; break;
            case 5: viewer.step(chooser() % 2 == 0 ? 1 : -1), what = "step"; break;
            case 6: viewer.togglePause(), what = "pause"; break;
            case 7: chooser() % 2 == 0 ? viewer.faster() : viewer.slower(), what = "speed"; break;
            default:
                for (unsigned frame = chooser() % 40; frame > 0; --frame) viewer.frame();
                what = "play";
            }
            ASSERT_LE(viewer.tick(), viewer.length());
            ASSERT_EQ(viewer.match().checksum(), straight.checksums[viewer.tick()])
                << "move " << move << " (" << what << ") to tick " << viewer.tick() << ", snapshots every "
                << viewer.snapshotGap();
        }
        viewer.seekTo(kTicks);
        EXPECT_EQ(console.str(), straight.console.str());
        EXPECT_GE(viewer.snapshotGap(), (snapshotLimit == 4 ? 4 : 1) * ReplayViewer::kSnapshotTicks);
    }
}

// A step moves the match by exactly one tick, and only while paused; only steps ahead are heard.
TEST_F(ReplayViewerTest, KeysSeekAndStepOneTickWhilePaused)
{
    std::ostringstream console;
    ReplayViewer viewer(ticks, console);
    viewer.press(ViewerKey::Right, true);
    viewer.press(ViewerKey::Right);
    viewer.press(ViewerKey::Left, true);
    EXPECT_EQ(viewer.tick(), ReplayViewer::kShortSeek);
    viewer.press(ViewerKey::Period);
    EXPECT_EQ(viewer.tick(), ReplayViewer::kShortSeek);
    viewer.press(ViewerKey::Space);
    for (const ViewerKey key : {ViewerKey::Period, ViewerKey::Period, ViewerKey::Comma}) {
        const std::size_t before = viewer.tick();
        viewer.press(key);
        EXPECT_EQ(viewer.tick(), key == ViewerKey::Period ? before + 1 : before - 1);
        EXPECT_EQ(viewer.match().checksum(), straight.checksums[viewer.tick()]);
    }
    EXPECT_EQ(viewer.takeTickRuns().size(), 2u);
    for (int frame = 0; frame < 10; ++frame) viewer.frame();
    EXPECT_EQ(viewer.tick(), ReplayViewer::kShortSeek + 1);
    // Home, and no step back past the start.
    viewer.press(ViewerKey::Home);
    viewer.press(ViewerKey::Comma);
    EXPECT_EQ(viewer.tick(), 0u);
    EXPECT_EQ(viewer.match().checksum(), straight.checksums[0]);
}

TEST_F(ReplayViewerTest, SpeedsRunAQuarterToEightTicksAFrame)
{
    std::ostringstream console;
    ReplayViewer viewer(ticks, console);
    const auto ticksIn = [&viewer](int frames) {
        const std::size_t before = viewer.tick();
        for (int frame = 0; frame < frames; ++frame) viewer.frame();
        return viewer.tick() - before;
    };
    EXPECT_EQ(ticksIn(10), 10u);
    for (int i = 0; i < 3; ++i) viewer.press(ViewerKey::Down); // no slower than a quarter
    EXPECT_EQ(viewer.speed(), 0.25);
    EXPECT_EQ(ticksIn(12), 3u);
    for (int i = 0; i < 6; ++i) viewer.press(ViewerKey::Up);
    EXPECT_EQ(viewer.speed(), 8.0);
    EXPECT_EQ(ticksIn(10), 80u);
    // Every tick played is heard, in order.
    const std::vector<TickRun> runs = viewer.takeTickRuns();
    ASSERT_EQ(runs.size(), 93u);
    EXPECT_EQ(runs.back().tick, viewer.tick() - 1); // numbered from 0
    EXPECT_EQ(viewer.statusLine(), "tick 93 of 2600  (0:01 / 0:41)  speed 8x");
    viewer.togglePause();
    viewer.slower();
    EXPECT_EQ(viewer.statusLine(), "tick 93 of 2600  (0:01 / 0:41)  speed 4x  paused");
}

TEST(ReplayViewer, ARecordedEscapeEndsTheReplay)
{
    std::vector<TickInput> ticks = randomTicks(4, 400);
    // The recorded player quit in tick 350: the replay ends with it.
    ticks[349].window.quit = true;
    std::ostringstream console;
    ReplayViewer viewer(ticks, console);
    EXPECT_EQ(viewer.length(), 350u);
    viewer.seekTo(1000);
    EXPECT_EQ(viewer.tick(), 350u);
    EXPECT_TRUE(viewer.paused());

    // An empty recording is over before it starts.
    ReplayViewer empty({}, console);
    EXPECT_TRUE(empty.paused());
    empty.togglePause();
    empty.frame();
    EXPECT_EQ(empty.tick(), 0u);
}

// As a session in a window: it stands at the end, saying so once, and Escape (held, as the window reports
// it) leaves with 0 once the end was reached, and with 1 before, as a replay left early always did.
TEST(ReplayViewer, TheSessionSaysOnceThatTheEndWasReachedAndEscapeLeaves)
{
    const auto escape = [] {
        TickInput held;
        held.window.quit = true;
        return held;
    };
    for (const std::size_t framesBeforeEscape : {std::size_t{40}, std::size_t{90}}) {
        std::ostringstream console;
        ViewerSession session(randomTicks(5, 60), console);
        EXPECT_EQ(console.str(), "base init\nder init\n"); // built at once, before the window's lines
        session.begin({});
        session.frame({});
        // Heard as the first tick, numbered as every session numbers its ticks.
        const std::vector<TickRun> first = session.takeTickRuns();
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].tick, 0u);
        for (std::size_t frame = 1; frame < framesBeforeEscape; ++frame) session.frame({});
        EXPECT_FALSE(session.finished());
        const std::string ended = "\nreplay ended after 60 ticks: ";
        std::size_t said = 0;
        for (auto at = console.str().find(ended); at != std::string::npos; at = console.str().find(ended, at + 1))
            ++said;
        EXPECT_EQ(said, framesBeforeEscape > 60 ? 1u : 0u);
        session.frame(escape());
        EXPECT_EQ(session.finished(), framesBeforeEscape > 60 ? 0 : 1);
    }
}

} // namespace
