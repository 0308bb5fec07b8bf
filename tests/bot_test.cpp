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
#include "MatchSource.h"
#include "MatchView.h"
#include "MySim.h"
#include "PlayerSources.h"
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

SourceChoice bot(std::uint32_t seed) { return {SourceChoice::Kind::Bot, seed}; }
SourceChoice random(std::uint32_t seed) { return {SourceChoice::Kind::Random, seed}; }
const SourceChoice kIdle{SourceChoice::Kind::Idle, 1};

// The bot's model of player 2's steering must be the game's own, or its plans drift off.
TEST(BotSteering, ModelMatchesTheGameAndPointerStaysWithinReach)
{
    QuietMatch match;
    MySim& game = match.game;
    // Open floor above the centre, away from every wall for these few ticks.
    const Vec2 wants[] = {{3, 0}, {-11.7f, 0}, {0, 11.7f}, {40, -40}, {0.2f, 0.1f}, {0, 0}, {-5, -5}};
    for (const Vec2& want : wants) {
        const Vec2 aim = game.player2Aim;
        TickInput record;
        record.match.player2 = steering::pointerFor(aim, want);
        const Player2Input& pointer = record.match.player2;
        EXPECT_LE(std::abs(pointer.pointerX), steering::kPointerReach);
        EXPECT_LE(std::abs(pointer.pointerY), steering::kPointerReach);
        game.step(record);
        const Vec2 predicted = steering::nextAim(aim, pointer.pointerX, pointer.pointerY);
        EXPECT_EQ(game.player2Aim, predicted);
        // A want within a tick's reach is met to within a pixel's worth of steering.
        EXPECT_TRUE(length(want - aim) >= 5.0f || length(predicted - want) < rules::kSteeringGain) << want.x << want.y;
    }
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

// Full-length matches are for tools/strength.sh; these shorter ones ask that the bot, in each role,
// beats what an idle player scores against the same sparring partners.
TEST(BotStrength, BeatsAnIdlePlayerInEachRole)
{
    constexpr int kTicks = 5000;
    int botMargin[2] = {0, 0}, idleMargin[2] = {0, 0};
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const Outcome asPlayer1 = play(bot(seed), random(seed), kTicks);
        const Outcome asPlayer2 = play(random(seed), bot(seed), kTicks);
        const Outcome idle1 = play(kIdle, random(seed), kTicks);
        const Outcome idle2 = play(random(seed), kIdle, kTicks);
        botMargin[0] += asPlayer1.score1 - asPlayer1.score2;
        botMargin[1] += asPlayer2.score2 - asPlayer2.score1;
        idleMargin[0] += idle1.score1 - idle1.score2;
        idleMargin[1] += idle2.score2 - idle2.score1;
        EXPECT_GT(asPlayer1.score1, asPlayer1.score2) << "seed " << seed;
        EXPECT_GT(asPlayer2.score2, asPlayer2.score1) << "seed " << seed;
        // The bot never frees the pointer, and keeps it where a hand could put it.
        for (const MatchInput& record : asPlayer2.records) {
            ASSERT_FALSE(record.player2.captureKey);
            ASSERT_LE(std::abs(record.player2.pointerX), steering::kPointerReach);
            ASSERT_LE(std::abs(record.player2.pointerY), steering::kPointerReach);
        }
    }
    EXPECT_GT(botMargin[0], idleMargin[0]);
    EXPECT_GT(botMargin[1], idleMargin[1]);
}

TEST(BotFairness, SameSeedsSameMatchAndOnlyTheRecordActs)
{
    // The C library's sequence decides nothing in a match, but the bot must not draw from it either.
    std::srand(99);
    const int untouched = std::rand();
    std::srand(99);
    const Outcome first = play(bot(5), bot(6), 1500);
    EXPECT_EQ(std::rand(), untouched);
    const Outcome again = play(bot(5), bot(6), 1500);
    EXPECT_EQ(first.checksum, again.checksum);
    EXPECT_TRUE(first.records == again.records);

    // A match fed the bots' records alone, with no bot in it, plays out the same.
    const Outcome fought = play(random(4), bot(9), 1500);
    QuietMatch replayed;
    for (const MatchInput& record : fought.records) {
        TickInput tick;
        tick.match = record;
        replayed.game.step(tick);
    }
    EXPECT_EQ(replayed.game.checksum(), fought.checksum);
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
    for (const std::string players : {"--player1 bot:3 --player2 random:2", "--player1 random:5 --player2 bot:4"}) {
        const std::string played =
            lastLine("--headless --ticks 1200 " + players + " --record " + dir + "/match.replay");
        const std::string replayed = lastLine("--headless --replay " + dir + "/match.replay");
        EXPECT_EQ(played.rfind("match ended after 1200 ticks: ", 0), 0u) << played;
        EXPECT_EQ(replayed, "replay" + played.substr(std::string("match").size())) << players;
    }
    EXPECT_EQ(std::system(("rm -r " + dir).c_str()), 0);
}

} // namespace
