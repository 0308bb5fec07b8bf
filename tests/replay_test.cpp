#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "MatchFixture.h"
#include "ReplayFile.h"

namespace {

constexpr int kTicks = 400;

// Everything a tick leaves that a player can see, floats exactly (hex), and what it printed.
std::string stateOf(Match& match)
{
    const Vec2 p1 = match.position("player1");
    const Vec2 p2 = match.position("player2");
    const Camera& view = match.game.camera;
    char text[256];
    std::snprintf(text, sizeof text, "p1 %a %a  p2 %a %a  health %d %d  score %d %d  view %a %a\n", p1.x, p1.y, p2.x,
                  p2.y, match.game.p1Health, match.game.p2Health, match.game.p1Score, match.game.p2Score,
                  view.viewWidth, view.viewHeight);
    return text + match.printed();
}

// Builds the match, kills player 1 (so that its spawn point is drawn at random) and plays kTicks ticks,
// calling input before each: each tick's state.
std::vector<std::string> play(Match& match, const std::function<void()>& input)
{
    match.init();
    match.printed();
    match.game.p1Health = 0;
    std::vector<std::string> states;
    for (int tick = 0; tick < kTicks; ++tick) {
        input();
        match.tick();
        states.push_back(stateOf(match));
    }
    return states;
}

TEST(Replay, ReplayedMatchMatchesTheRecordedOneTickForTick)
{
    std::ostringstream file;
    std::vector<std::string> recorded;
    {
        Match match(&file);
        std::minstd_rand script(7);
        const auto random = [&script](int below) { return static_cast<int>(script() % static_cast<unsigned>(below)); };
        recorded = play(match, [&] {
            const int pick = random(10);
            const auto key = static_cast<Key>(random(kKeyCount - 1)); // Escape only at the end
            if (pick < 3) match.window.hold(key);
            if (pick >= 3 && pick < 6) match.window.release(key);
            if (pick == 6) match.window.setButton(MouseButton::Left, random(2) == 0);
            // Two reshapes in one gap: only both together give the camera's result.
            if (pick == 7) match.window.resize(1, 10000);
            if (pick >= 7) match.window.resize(700 + random(300), 600);
            match.window.movePointer(match.engine.centreX + random(41) - 20, match.engine.centreY + random(41) - 20);
        });
        match.window.hold(Key::Escape);
        match.tick();
        EXPECT_EQ(match.engine.exitStatus(), 1);
    }
    EXPECT_NE(file.str().find("size 1 10000\nsize "), std::string::npos);
    EXPECT_NE(recorded.back().find("score 0 1 "), std::string::npos) << "player 1 never died and came back";
    auto parsed = parseReplay(file.str());
    ASSERT_TRUE(std::holds_alternative<Replay>(parsed)) << std::get<ReplayError>(parsed).message;
    const std::vector<TickInput>& ticks = std::get<Replay>(parsed).ticks;

    {
        Match match(ticks);
        // The live pointer and window sizes count for nothing in a replay.
        const std::vector<std::string> replayed = play(match, [&match] {
            match.window.movePointer(3, 5);
            match.window.resize(640, 480);
        });
        for (int tick = 0; tick < kTicks; ++tick) ASSERT_EQ(replayed[tick], recorded[tick]) << "tick " << tick + 1;
        EXPECT_TRUE(match.window.warps.empty()) << "a replay moved the live pointer";
        EXPECT_FALSE(match.engine.exitStatus());
        // The recorded Escape ends it with status 0 and the match's last word; the rest of that tick is silent.
        match.tick();
        EXPECT_EQ(match.engine.exitStatus(), 0);
        const std::string last = match.printed();
        EXPECT_NE(last.find("replay ended after 401 ticks: player 1 health "), std::string::npos) << last;
        EXPECT_EQ(last.back(), '\n');
        EXPECT_EQ(last.find('\n', last.find("replay ended")), last.size() - 1) << last;
        match.tick();
        EXPECT_EQ(match.printed(), "");
    }

    // Running out of ticks ends it in the frame after the last one; a live Escape ends it with status 1.
    {
        Match shortOne(std::vector<TickInput>(ticks.begin(), ticks.begin() + 2));
        shortOne.init();
        shortOne.tick(2);
        EXPECT_FALSE(shortOne.engine.exitStatus());
        shortOne.printed();
        shortOne.tick();
        EXPECT_EQ(shortOne.engine.exitStatus(), 0);
        EXPECT_EQ(shortOne.printed().rfind("replay ended after 2 ticks: ", 0), 0u);
    }
    Match escaped(ticks);
    escaped.init();
    escaped.window.hold(Key::Escape);
    escaped.tick();
    EXPECT_EQ(escaped.engine.exitStatus(), 1);
    EXPECT_EQ(escaped.session.ticksPlayed(), 0u);
}

TEST(ReplayFile, ReadsTicksWithTheirReshapesAndDropsAnIncompleteLastLine)
{
    const auto parsed = parseReplay("skirmora-replay 1\nsize 1024 768\nsize 800 600\ntick escape,w,left -3 65535 1\n"
                                    "tick - 0 0 0\nsize 5 5\ntick w,a 1");
    ASSERT_TRUE(std::holds_alternative<Replay>(parsed));
    const Replay& replay = std::get<Replay>(parsed);
    TickInput first;
    first.window.reshapes = {{1024, 768}, {800, 600}};
    first.match.player2 = {-3, 65535, true, false};
    for (Key key : {Key::Escape, Key::W, Key::Left}) setKeyHeld(first, key, true);
    // The reshape with no tick after it, and the cut line, are dropped.
    EXPECT_EQ(replay.ticks, (std::vector<TickInput>{first, TickInput{}}));
    EXPECT_EQ(replay.cutShortLine, 7);
    EXPECT_EQ(replayLines(first), "size 1024 768\nsize 800 600\ntick left,w,escape -3 65535 1\n");
}

TEST(ReplayFile, RefusesMalformedFilesNamingTheLine)
{
    const std::string head = "skirmora-replay 1\n";
    struct Case {
        std::string text;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"", 0, "empty file"},
        {"hello\n", 1, "not a replay file"},
        {"skirmora-replay 2\n", 1, "unsupported version '2'"},
        {"skirmora-replay 1", 1, "cut short"},
        {head + std::string(kMaxReplayBytes, 'x'), 0, "larger than"},
        {head + "\n", 2, "empty line"},
        {head + "tick - 0 0 0\r\n", 2, "carriage return"},
        {head + "tick  - 0 0 0\n", 2, "single spaces"},
        {head + "jump 1\n", 2, "unknown line kind 'jump'"},
        {head + "tick - 0 0\n", 2, "expected 'tick"},
        {head + "tick q 0 0 0\n", 2, "unknown key 'q'"},
        {head + std::string("tick -\0 0 0 0\n", 14), 2, "unknown key '-?'"},
        {head + "tick w,w 0 0 0\n", 2, "listed twice"},
        {head + "tick - 1.5 0 0\n", 2, "pointer offset"},
        {head + "tick - 0 65536 0\n", 2, "pointer offset"},
        {head + "tick - 0 0 2\n", 2, "button"},
        {head + "size 0 600\n", 2, "window size"},
        {head + "size 800\n", 2, "expected 'size"},
        {head + "tick - 0 0 0\ntick " + std::string(200, 'w') + " 0 0 0\n", 3, "longer than 128"},
    };
    for (const Case& c : cases) {
        const auto parsed = parseReplay(c.text);
        const auto* error = std::get_if<ReplayError>(&parsed);
        ASSERT_NE(error, nullptr) << c.text.substr(0, 60);
        EXPECT_EQ(error->line, c.line) << c.message;
        EXPECT_NE(error->message.find(c.message), std::string::npos) << error->message;
    }
}

// Refusals come before any window: these run with DISPLAY empty, which would otherwise fail differently.
TEST(ReplayProgram, BadCommandLinesAndFilesExitWithStatusTwoAndOneMessage)
{
    char dirTemplate[] = "/tmp/replay_test.XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string bad = dir + "/bad.replay";
    std::ofstream(bad) << "skirmora-replay 1\ntick - 0 0 0\ntick q 0 0 0\n";
    const std::pair<std::string, std::string> cases[] = {
        {"--headless", "--headless needs --ticks N (or --replay FILE)"},
        {"--headless --ticks 10 --player1 bot", "--headless has no keyboard or mouse"},
        {"--player2 robot", "unknown source 'robot' for --player2"},
        {"--player1 random:-1", "unknown source 'random:-1'"},
        {"--player1 bot:4294967296", "unknown source 'bot:4294967296'"},
        {"--player2 bot:expert:3", "unknown source 'bot:expert:3' for --player2"},
        {"--ticks 0", "--ticks takes a whole number of ticks from 1 up, not '0'"},
        {"--ticks ten", "--ticks takes a whole number"},
        {"--replay x --ticks 5", "--replay plays the recorded input"},
        {"--replay", "--replay needs a FILE"},
        {"--record a --replay b", "--record and --replay exclude each other"},
        {"--headless --replay " + bad, bad + ":3: unknown key 'q'"},
        {"--headless --replay " + dir, dir + ": is a directory"},
        {"--replay " + dir + "/none", dir + "/none: No such file"},
        {"--record " + dir, dir + ": cannot write"},
        // Online.
        {"--host --join 127.0.0.1", "--host and --join exclude each other"},
        {"--join", "--join needs HOST[:PORT]"},
        {"--join 127.0.0.1:0", "--join takes HOST or HOST:PORT"},
        {"--host 70000", "--host takes a port from 1 to 65535"},
        {"--join h --ticks 5", "--join takes the match length and input delay from the host"},
        {"--host --input-delay 9", "--input-delay takes one whole number of ticks from 0 to 8"},
        {"--player1 remote", "remote needs --host or --join"},
        {"--host --player1 remote --player2 remote", "only one player can be remote"},
        {"--join h --player1 bot --player2 idle", "one player must be remote"},
        {"--host --headless", "--headless has no keyboard or mouse"},
        {"--host --replay " + bad, "--replay plays alone"},
    };
    for (const auto& [args, message] : cases) {
        const int status = std::system((SKIRMORA_PROGRAM " " + args + " >" + dir + "/out 2>" + dir + "/err").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
        std::stringstream said;
        said << std::ifstream(dir + "/err").rdbuf();
        EXPECT_EQ(said.str().rfind("skirmora: " + message, 0), 0u) << args << ": " << said.str();
        const std::string text = said.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << args << ": one line";
        EXPECT_EQ(std::ifstream(dir + "/out").peek(), EOF) << args << ": something started";
    }
    EXPECT_EQ(std::system(("rm -r " + dir).c_str()), 0);
}

} // namespace
