#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ArenaMap.h"
#include "Bot.h"
#include "Hand.h"
#include "HandFigures.h"
#include "MatchSource.h"
#include "MatchView.h"
#include "MySim.h"
#include "PlayerSources.h"
#include "Route.h"
#include "Steering.h"

namespace {

// A match started, its console going nowhere.
struct QuietMatch {
    QuietMatch() { game.init(); }
    std::ostream nowhere{nullptr};
    MySim game{nowhere};
};

struct Outcome {
    int score1 = 0, score2 = 0;
    std::uint64_t checksum = 0;
    std::vector<MatchInput> records;
};

// A headless match between two sources.
Outcome play(const SourceChoice& player1, const SourceChoice& player2, int ticks)
{
    QuietMatch match;
    MySim& game = match.game;
    auto first = makePlayerSource(player1);
    auto second = makePlayerSource(player2);
    MatchSource source(game, first.get(), second.get());
    Outcome outcome;
    for (int tick = 0; tick < ticks; ++tick) {
        const TickInput record = source.next({});
        outcome.records.push_back(record.match);
        game.step(record);
    }
    outcome.score1 = game.p1Score;
    outcome.score2 = game.p2Score;
    outcome.checksum = game.checksum();
    return outcome;
}

SourceChoice bot(std::uint32_t seed, BotLevel level = BotLevel::Normal)
{
    return {SourceChoice::Kind::Bot, seed, level};
}
SourceChoice random(std::uint32_t seed) { return {SourceChoice::Kind::Random, seed}; }
const SourceChoice kIdle{SourceChoice::Kind::Idle, 1};

TEST(BotChoice, LevelAndSeedInEitherForm)
{
    const auto level = [](const char* text) { return SourceChoice::parse(text)->level; };
    const auto seed = [](const char* text) { return SourceChoice::parse(text)->seed; };
    EXPECT_EQ(level("bot"), BotLevel::Normal);
    EXPECT_EQ(level("bot:7"), BotLevel::Normal);
    EXPECT_EQ(seed("bot:7"), 7u);
    EXPECT_EQ(level("bot:easy"), BotLevel::Easy);
    EXPECT_EQ(level("bot:hard:4294967295"), BotLevel::Hard);
    EXPECT_EQ(seed("bot:hard:4294967295"), 4294967295u);
    EXPECT_EQ(SourceChoice::parse("bot:normal:3")->kind, SourceChoice::Kind::Bot);
    for (const char* bad : {"bot:", "bot:Easy", "bot:easy:", "bot:easy:x", "bot:3:easy", "bot:hard:hard", "bot::3"})
        EXPECT_FALSE(SourceChoice::parse(bad)) << bad;
}

// The bot's model of player 2's steering must be the game's own, or its plans drift off; and the hand
// that works the pointer moves within its bounds.
TEST(BotSteering, ModelMatchesTheGameWithinTheHandsBounds)
{
    QuietMatch match;
    MySim& game = match.game;
    hand::Pointer pointer;
    const Vec2 wants[] = {{3, 0}, {-11.7f, 0}, {0, 11.7f}, {40, -40}, {0.2f, 0.1f}, {0, 0}, {-5, -5}};
    for (const Vec2& want : wants) {
        for (int tick = 0; tick < 6; ++tick) {
            const Vec2 aim = game.player2Aim;
            const hand::Pointer before = pointer;
            const Vec2 predicted = steering::steer(pointer, aim, want);
            TickInput record;
            record.match.player2.pointerX = pointer.x;
            record.match.player2.pointerY = pointer.y;
            game.step(record);
            EXPECT_EQ(game.player2Aim, predicted);
            EXPECT_LE(std::hypot(pointer.x, pointer.y), pointer.speed + 0.5);
            EXPECT_LE(std::hypot(pointer.x - before.x, pointer.y - before.y), pointer.change + 1.0);
        }
    }
    // Asked for one steady aim, it gets there without swinging past it and back.
    hand::Pointer steady;
    Vec2 aim;
    int reversals = 0;
    for (int tick = 0; tick < 60; ++tick) {
        const hand::Pointer before = steady;
        aim = steering::steer(steady, aim, Vec2(8, 3));
        if (before.x * steady.x + before.y * steady.y < 0) ++reversals;
    }
    // Within what a still hand leaves undone.
    EXPECT_LT(length(aim - Vec2(8, 3)), 0.6f);
    EXPECT_LE(reversals, 1);
}

TEST(BotHand, PressesAndReleasesLastFiveTicksAndThePointerTurnsBackRarely)
{
    hand::Keys keys;
    Player1Input wanted;
    wanted.set(Key::W, true);
    std::vector<bool> held;
    // Asked to flicker every tick, W goes down and up in steps of five.
    for (int tick = 0; tick < 30; ++tick) {
        held.push_back(keys.press(wanted).held(Key::W));
        wanted.set(Key::W, !wanted.held(Key::W));
    }
    for (int tick = 0; tick < 30; ++tick) EXPECT_EQ(held[static_cast<std::size_t>(tick)], (tick / 5) % 2 == 0) << tick;
    hand::Button button;
    EXPECT_TRUE(button.press(true));
    for (int tick = 1; tick < 5; ++tick) EXPECT_TRUE(button.press(false)) << tick;
    EXPECT_FALSE(button.press(false));

    // Asked to swing to and fro every tick, the pointer stops rather than turn back within its rhythm.
    hand::Pointer pointer;
    std::vector<MatchInput> records;
    for (int tick = 0; tick < 120; ++tick) {
        pointer.moveTowards(Vec2(tick % 2 == 0 ? 100.0f : -100.0f, 0.0f));
        MatchInput record;
        record.player2.pointerX = pointer.x;
        record.player2.pointerY = pointer.y;
        records.push_back(record);
    }
    EXPECT_LE(handFigures(records, 2).pointerReversals, 120 / hand::kTurnBackTicks);
}

TEST(BotFigures, CountChangesShortPressesReversalsAndQuiet)
{
    std::vector<MatchInput> records(20);
    // Player 1: W for 2 ticks, then A for 6, then nothing. Player 2 swings right, left, up, down, and
    // holds the button from then on.
    for (int tick = 2; tick < 4; ++tick) records[static_cast<std::size_t>(tick)].player1.set(Key::W, true);
    for (int tick = 4; tick < 10; ++tick) records[static_cast<std::size_t>(tick)].player1.set(Key::A, true);
    records[3].player2.pointerX = 5;
    records[6].player2.pointerX = -5;
    records[7].player2.pointerY = 3;
    records[9].player2.pointerY = -3;
    for (int tick = 9; tick < 20; ++tick) records[static_cast<std::size_t>(tick)].player2.leftDown = true;
    const HandFigures first = handFigures(records, 1);
    EXPECT_EQ(first.keyChanges, 4);
    EXPECT_EQ(first.presses, 2);
    EXPECT_EQ(first.shortPresses, 1);
    EXPECT_EQ(first.longestQuiet, 10);
    const HandFigures second = handFigures(records, 2);
    EXPECT_EQ(second.pointerReversals, 2) << "a turn of a right angle is no reversal";
    EXPECT_EQ(second.presses, 1);
    EXPECT_EQ(second.shortPresses, 0) << "still held at the end";
    EXPECT_EQ(second.longestQuiet, 3) << "the button held is not quiet";
}

TEST(BotArena, ClearanceAndPathsAgreeWithTheLevel)
{
    const ArenaMap arena(wallsOf(QuietMatch().game));
    ASSERT_EQ(arena.walls().size(), 17u);
    // Exact values where the level fixes them: inside the central octagon, above its top edge, and the
    // spawn point midway between a bar's end and the east wall.
    EXPECT_NEAR(arena.exactClearance(Vec2(0, 0)), -130.0f, 1e-3f);
    EXPECT_NEAR(arena.exactClearance(Vec2(0, 200)), 70.0f, 1e-3f);
    EXPECT_NEAR(arena.exactClearance(Vec2(725, 0)), 75.0f, 1e-3f);
    EXPECT_LT(arena.clearance(Vec2(5000, 0)), 0.0f) << "off the map counts as a wall";
    // The grid reads within half a step of the exact clearance anywhere (the most where two walls are
    // equally near), and exactly along a single flat wall.
    for (float x = -795.0f; x < 800.0f; x += 37.0f)
        for (float y = -595.0f; y < 600.0f; y += 29.0f)
            EXPECT_NEAR(arena.clearance(Vec2(x, y)), arena.exactClearance(Vec2(x, y)), ArenaMap::kGridStep / 2)
                << x << ", " << y;
    EXPECT_NEAR(arena.clearance(Vec2(-3, 567)), 33.0f, 1e-3f);
    // Along the north corridor, between the top bars and the north wall, and across the centre.
    EXPECT_TRUE(arena.pathClear(Vec2(-700, 550), Vec2(700, 550), 15.0f));
    EXPECT_FALSE(arena.pathClear(Vec2(-700, 550), Vec2(700, 550), 60.0f));
    EXPECT_FALSE(arena.pathClear(Vec2(-725, 0), Vec2(725, 0), 1.0f));
    EXPECT_NEAR(arena.reach(Vec2(0, 550), Vec2(1, 0), 15.0f, 2000.0f), 785.0f, 5.0f);
    EXPECT_EQ(arena.reach(Vec2(0, 550), Vec2(1, 0), 15.0f, 100.0f), 100.0f);
}

TEST(BotRoute, GoesAroundTheWallsAndNoticesNoProgress)
{
    const ArenaMap arena(wallsOf(QuietMatch().game));
    RouteField route(arena, 15.0f, 5.0f);
    // Across the central octagon, 260 units through it; around it is longer.
    const Vec2 west(-260, 0), east(260, 0);
    route.aimFor(east);
    for (int tick = 0; tick < 1000 && !route.ready(); ++tick) route.work(60, west);
    ASSERT_TRUE(route.ready());
    EXPECT_GT(route.distance(west), 600.0f);
    EXPECT_LT(route.distance(west), 900.0f);
    EXPECT_NEAR(route.distance(east + Vec2(0, 0)), 0.0f, 25.0f);
    // The next point to head for is in straight sight and nearer by the route.
    const Vec2 next = route.waypoint(west);
    EXPECT_TRUE(arena.pathClear(west, next, 15.0f));
    EXPECT_LT(route.distance(next), route.distance(west) - 100.0f);

    Progress progress;
    for (int tick = 0; tick <= Progress::kPatience; ++tick) EXPECT_FALSE(progress.stalled(500.0f - tick * 0.1f));
    EXPECT_TRUE(progress.stalled(485.0f));
    EXPECT_FALSE(progress.stalled(470.0f)) << "nearer at last";
    progress.reset();
    for (int tick = 0; tick < 3 * Progress::kPatience; ++tick) EXPECT_FALSE(progress.stalled(50.0f)) << "there already";
}

// What matches of every level must show, in shorter matches than tools/strength.sh plays: the levels
// rise against bot:normal in each role, easy is beatable, hard beats the sparring partners by more than
// an idle player does, no bot stays still for long, and every bot moves like a hand.
TEST(BotStrength, LevelsRiseEasyIsBeatableHardIsStrongAndAllMoveLikeAHand)
{
    constexpr int kTicks = 4000;
    constexpr int kSeeds = 6;
    const BotLevel levels[] = {BotLevel::Easy, BotLevel::Normal, BotLevel::Hard};
    int presses = 0, shortPresses = 0;
    const auto watch = [&](const Outcome& outcome, int player, const std::string& what) {
        const HandFigures figures = handFigures(outcome.records, player);
        const double seconds = kTicks * 0.016;
        EXPECT_LE(figures.longestQuiet, 600) << what;
        const double changes = player == 1 ? figures.keyChanges / seconds : figures.pointerReversals / seconds;
        EXPECT_LE(changes, player == 1 ? 10.0 : 6.0) << what << ": key changes or reversals a second";
        presses += figures.presses;
        shortPresses += figures.shortPresses;
    };
    int margin[3][2] = {};
    int easyLosses = 0;
    for (int level = 0; level < 3; ++level) {
        for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
            const std::string what = "level " + std::to_string(level) + " seed " + std::to_string(seed);
            const Outcome asPlayer1 = play(bot(seed, levels[level]), bot(seed + 100), kTicks);
            const Outcome asPlayer2 = play(bot(seed + 100), bot(seed, levels[level]), kTicks);
            margin[level][0] += asPlayer1.score1 - asPlayer1.score2;
            margin[level][1] += asPlayer2.score2 - asPlayer2.score1;
            if (level == 0 && asPlayer2.score2 <= asPlayer2.score1) ++easyLosses;
            watch(asPlayer1, 1, what + " as player 1");
            watch(asPlayer2, 2, what + " as player 2");
        }
    }
    for (int role = 0; role < 2; ++role) {
        EXPECT_LT(margin[0][role], margin[1][role]) << "player " << role + 1;
        EXPECT_LT(margin[1][role], margin[2][role]) << "player " << role + 1;
    }
    EXPECT_GE(easyLosses, 3);

    int wins[2] = {}, hardMargin[2] = {}, idleMargin[2] = {};
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        const Outcome asPlayer1 = play(bot(seed, BotLevel::Hard), random(seed), kTicks);
        const Outcome asPlayer2 = play(random(seed), bot(seed, BotLevel::Hard), kTicks);
        const Outcome idle1 = play(kIdle, random(seed), kTicks);
        const Outcome idle2 = play(random(seed), kIdle, kTicks);
        wins[0] += asPlayer1.score1 > asPlayer1.score2;
        wins[1] += asPlayer2.score2 > asPlayer2.score1;
        hardMargin[0] += asPlayer1.score1 - asPlayer1.score2;
        hardMargin[1] += asPlayer2.score2 - asPlayer2.score1;
        idleMargin[0] += idle1.score1 - idle1.score2;
        idleMargin[1] += idle2.score2 - idle2.score1;
        watch(asPlayer1, 1, "hard against random, seed " + std::to_string(seed));
        watch(asPlayer2, 2, "hard against random, seed " + std::to_string(seed));
        if (seed <= 3) {
            watch(play(bot(seed, BotLevel::Hard), kIdle, kTicks), 1, "against idle");
            watch(play(kIdle, bot(seed, BotLevel::Hard), kTicks), 2, "against idle");
        }
    }
    for (int role = 0; role < 2; ++role) {
        EXPECT_GE(wins[role], 5) << "player " << role + 1;
        EXPECT_GT(hardMargin[role], idleMargin[role]) << "player " << role + 1;
    }
    EXPECT_LE(shortPresses * 10, presses);
}

TEST(BotFairness, SameSeedsSameMatchAndOnlyTheRecordActs)
{
    // The C library's sequence decides nothing in a match, but the bot must not draw from it either.
    std::srand(99);
    const int untouched = std::rand();
    std::srand(99);
    const Outcome first = play(bot(5, BotLevel::Easy), bot(6, BotLevel::Hard), 1500);
    EXPECT_EQ(std::rand(), untouched);
    const Outcome again = play(bot(5, BotLevel::Easy), bot(6, BotLevel::Hard), 1500);
    EXPECT_EQ(first.checksum, again.checksum);
    EXPECT_TRUE(first.records == again.records);
    // Another level plays otherwise.
    EXPECT_FALSE(play(bot(5, BotLevel::Hard), bot(6, BotLevel::Hard), 1500).records == first.records);

    // A match fed the bots' records alone, with no bot in it, plays out the same.
    const Outcome fought = play(random(4), bot(9), 1500);
    QuietMatch replayed;
    for (const MatchInput& record : fought.records) {
        TickInput tick;
        tick.match = record;
        replayed.game.step(tick);
    }
    EXPECT_EQ(replayed.game.checksum(), fought.checksum);
    for (const MatchInput& record : fought.records) ASSERT_FALSE(record.player2.captureKey);
}

// The program: a recorded match with a bot, replayed headless, ends with the same health and score.
TEST(BotProgram, RecordedBotMatchReplaysToTheSameEnd)
{
    char dirTemplate[] = "/tmp/bot_test.XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const auto lastLine = [&](const std::string& args) {
        const std::string out = dir + "/out";
        EXPECT_EQ(std::system((SKIRMORA_PROGRAM " " + args + " >" + out).c_str()), 0) << args;
        std::ifstream in(out);
        std::string line, last;
        while (std::getline(in, line)) last = line;
        return last;
    };
    for (const std::string players :
         {"--player1 bot:hard:3 --player2 bot:easy", "--player1 random:5 --player2 bot:4"}) {
        const std::string played =
            lastLine("--headless --ticks 1200 " + players + " --record " + dir + "/match.replay");
        const std::string replayed = lastLine("--headless --replay " + dir + "/match.replay");
        EXPECT_EQ(played.rfind("match ended after 1200 ticks: ", 0), 0u) << played;
        EXPECT_EQ(replayed, "replay" + played.substr(std::string("match").size())) << players;
    }
    EXPECT_EQ(std::system(("rm -r " + dir).c_str()), 0);
}

} // namespace
