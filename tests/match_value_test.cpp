#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BusyInput.h"
#include "Camera.h"
#include "Component.h"
#include "GameObject.h"
#include "MySim.h"

// A match as a value: stepped with nothing but its input records, beside another, saved and restored.
namespace {

// A match with no window, its console in a string.
struct HeadlessMatch {
    HeadlessMatch()
    {
        game.init();
        startUp = printed();
    }
    std::ostringstream console;
    MySim game{console};
    std::string startUp;

    // What the match printed since the last call.
    std::string printed()
    {
        std::string text = console.str();
        console.str("");
        return text;
    }
};

// Everything observable of a match, floats exactly: bodies with their components, the drawing and
// update orders, the rules' values and, unless left out, the camera.
std::string stateOf(const MySim& game, bool withCamera = true)
{
    std::string text;
    char line[160];
    const auto nameOf = [&game](const GameObject* body) {
        for (const auto& [name, registered] : game.objects)
            if (registered == body) return name;
        return std::string("?");
    };
    for (const auto& [name, body] : game.objects) {
        const Vec2 at = body->getPosition();
        std::snprintf(line, sizeof line, "%s %a %a %d", name.c_str(), at.x, at.y, body->visible ? 1 : 0);
        text += line;
        for (const auto& [role, component] : body->components) text += " " + role + "#" + std::to_string(component->id);
        for (const GameObject* child : body->children) text += " child " + nameOf(child);
        text += "\n";
    }
    text += "drawn:";
    for (const GameObject* body : game.drawList) text += " " + nameOf(body);
    text += "\nupdated:";
    for (const Component* component : game.components) text += " " + std::to_string(component->id);
    std::snprintf(line, sizeof line, "\nhealth %d %d score %d %d aim %a %a checksum %llx\n", game.p1Health,
                  game.p2Health, game.p1Score, game.p2Score, game.player2Aim.x, game.player2Aim.y,
                  static_cast<unsigned long long>(game.checksum()));
    text += line;
    if (!withCamera) return text;
    std::snprintf(line, sizeof line, "camera %a %a %a\n", game.camera.position.x, game.camera.position.y,
                  game.camera.viewWidth);
    return text + line;
}

// Console and state after every tick.
std::vector<std::string> play(HeadlessMatch& match, BusyInput& input, int ticks, bool withCamera = true)
{
    std::vector<std::string> seen;
    for (int tick = 0; tick < ticks; ++tick) {
        match.game.step(input.next());
        seen.push_back(match.printed() + stateOf(match.game, withCamera));
    }
    return seen;
}

TEST(MatchValue, TwoMatchesSteppedInTurnEachPlayAsTheyDoAlone)
{
    constexpr int kTicks = 1500;
    HeadlessMatch aloneA, aloneB;
    BusyInput inputA(11), inputB(12);
    const std::vector<std::string> a = play(aloneA, inputA, kTicks);
    const std::vector<std::string> b = play(aloneB, inputB, kTicks);
    ASSERT_NE(a.back(), b.back());

    HeadlessMatch matchA, matchB;
    EXPECT_EQ(matchA.startUp, "base init\nder init\n0\n");
    EXPECT_EQ(matchB.startUp, matchA.startUp);
    BusyInput againA(11), againB(12);
    for (int tick = 0; tick < kTicks; ++tick) {
        ASSERT_EQ(play(matchA, againA, 1).front(), a[static_cast<std::size_t>(tick)]) << "match A, tick " << tick + 1;
        ASSERT_EQ(play(matchB, againB, 1).front(), b[static_cast<std::size_t>(tick)]) << "match B, tick " << tick + 1;
    }
    // The play had deaths and respawns on both sides.
    EXPECT_GT(matchA.game.p1Score + matchA.game.p2Score, 0);
}

// Saved at a random tick and restored after 100 more, a match plays those 100 again exactly: every
// body, component, order, counter and console line, deaths and respawns and heavy fire included. The
// camera is the viewer's: a restore leaves it where it stands.
TEST(MatchValue, RestoringASavedTickReplaysTheSameHundredTicks)
{
    std::mt19937 chooser(5);
    int respawns = 0;
    std::size_t mostBodies = 0;
    for (int round = 0; round < 6; ++round) {
        HeadlessMatch match;
        BusyInput warmUp(100 + static_cast<unsigned>(round));
        play(match, warmUp, static_cast<int>(chooser() % 1500));
        // Weak players, so that both die and come back within the hundred ticks.
        match.game.p1Health = std::min(match.game.p1Health, 20);
        match.game.p2Health = std::min(match.game.p2Health, 40);
        const std::string before = stateOf(match.game);
        const std::string matchBefore = stateOf(match.game, false);
        const MatchSnapshot saved = match.game.save();
        ASSERT_EQ(stateOf(match.game), before) << "saving changed the match";

        BusyInput first(200 + static_cast<unsigned>(round));
        const std::vector<std::string> played = play(match, first, 100, false);
        respawns += match.game.p1Score + match.game.p2Score;
        for (const std::string& tick : played) mostBodies = std::max(mostBodies, tick.size());

        const Camera view = match.game.camera;
        match.game.restore(saved);
        ASSERT_EQ(stateOf(match.game, false), matchBefore);
        EXPECT_EQ(match.game.camera.position, view.position);
        EXPECT_EQ(match.game.camera.viewWidth, view.viewWidth);
        BusyInput second(200 + static_cast<unsigned>(round));
        const std::vector<std::string> again = play(match, second, 100, false);
        for (std::size_t tick = 0; tick < again.size(); ++tick)
            ASSERT_EQ(again[tick], played[tick]) << "round " << round << ", tick " << tick + 1 << " after the restore";
        // A snapshot stays valid after it was restored: once more, straight to its end.
        match.game.restore(saved);
        BusyInput third(200 + static_cast<unsigned>(round));
        EXPECT_EQ(play(match, third, 100, false).back(), played.back());
    }
    EXPECT_GE(respawns, 3);
}

} // namespace
