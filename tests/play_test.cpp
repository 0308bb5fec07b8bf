#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "Camera.h"
#include "Circle.h"
#include "PhysicsComp.h"
#include "match.h"

namespace {

constexpr int kCentreX = 400;
constexpr int kCentreY = 300;

void expectNear(const Vec2& actual, const Vec2& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}
int countLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (std::size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1))
        if (at == 0 || text[at - 1] == '\n') ++count;
    return count;
}

struct PlayTest : testing::Test {
    PlayTest()
    {
        match.init();
        match.printed();
    }
    Match match;
    MySim& game = *match.game;
    Camera& camera = *match.engine->camera;
};

TEST_F(PlayTest, FirstTickMovesPlayerTwoAlongItsStartAimAndEasesTheCamera)
{
    match.tick();
    EXPECT_EQ(match.position("player2"), Vec2(260, 0.01f * 0.98f));
    EXPECT_EQ(match.position("player1"), Vec2(-260, 0));
    // 520 apart across: the view eases 5 % of the way to 520 + 650 wide.
    EXPECT_FLOAT_EQ(camera.viewWidth, 438.5f);
    EXPECT_FLOAT_EQ(camera.viewHeight, 438.5f / (4.0f / 3.0f));
    expectNear(camera.position, Vec2(0, 0.0049f * 0.13f), 1e-7f);
    EXPECT_EQ(camera.target, camera.position);
    EXPECT_EQ(match.window.warps.back(), std::make_pair(kCentreX, kCentreY));
}

TEST_F(PlayTest, PointerOffsetSteersPlayerTwoWhichFacesItsMotion)
{
    match.window.movePointer(kCentreX + 10, kCentreY + 10);
    match.tick();
    expectNear(player2Aim, Vec2(0.2842f, -0.2744f));
    expectNear(match.position("player2"), Vec2(260.2842f, -0.2744f));
    // The warp put the pointer back, so the next tick only damps.
    EXPECT_EQ(match.engine->mouseX, kCentreX);

    // A flick far beyond the cap leaves the aim at 12, damped to 11.76.
    match.window.movePointer(kCentreX + 1000, kCentreY);
    match.tick();
    EXPECT_NEAR(length(player2Aim), 11.76f, 1e-4f);
    // The disc's image, upright at the start, now points along the motion.
    const auto& corners = static_cast<const Circle*>(match.body("player2"))->quad.corners;
    const Vec2 facing = normalised((corners[0] + corners[1]) * 0.5f - match.position("player2"));
    expectNear(facing, normalised(player2Aim), 1e-3f);
}

TEST_F(PlayTest, PlayerOneThrowsEverySeventyFirstTickAndTheBallLastsTwentyTwo)
{
    match.window.hold(Key::Up);
    std::vector<int> ballIds; // the ball's component id each tick, -1 when there is none
    for (int tick = 1; tick <= 72; ++tick) {
        match.tick();
        const GameObject* ball = match.body("bullet1");
        ballIds.push_back(ball != nullptr ? ball->components.at("physics")->id : -1);
    }
    std::vector<int> expected(72, -1);
    for (int tick = 1; tick <= 22; ++tick) expected[tick - 1] = 1;
    expected[71] = 2;
    EXPECT_EQ(ballIds, expected);
    EXPECT_EQ(countLines(match.printed(), "up"), 72);
}

TEST_F(PlayTest, PlayerTwoFiresEverySixteenthTickWhileTheButtonIsHeld)
{
    match.window.setButton(MouseButton::Left, true);
    std::vector<int> firingTicks;
    for (int tick = 1; tick <= 40; ++tick) {
        const int before = game.bullet2Count;
        match.tick();
        if (game.bullet2Count != before) firingTicks.push_back(tick);
    }
    EXPECT_EQ(firingTicks, (std::vector<int>{1, 17, 33}));
}

TEST(PlayKeys, DirectionTablesTakeTheFirstMatchingChord)
{
    const float diagonal = std::sqrt(0.5f);
    struct Case {
        std::vector<Key> keys;
        Vec2 direction;
    };
    const std::vector<Case> throws = {
        {{Key::Left, Key::Up, Key::Right}, {-diagonal, diagonal}},
        {{Key::Up, Key::Right}, {diagonal, diagonal}},
        {{Key::Left, Key::Right}, {-1, 0}},
        {{Key::Up, Key::Down}, {0, 1}},
        {{Key::Down, Key::Left}, {-diagonal, -diagonal}},
        {{Key::Right, Key::Down}, {diagonal, -diagonal}},
    };
    for (const Case& c : throws) {
        Match match;
        match.init();
        for (Key key : c.keys) match.window.hold(key);
        match.tick();
        const auto* ball = match.body("bullet1");
        ASSERT_NE(ball, nullptr);
        expectNear(static_cast<const PhysicsComp*>(ball->components.at("physics"))->velocity, c.direction * 14.0f);
    }
    const std::vector<Case> walks = {
        {{Key::A, Key::D}, {-1, 0}},
        {{Key::W, Key::S}, {0, 1}},
        {{Key::A, Key::W, Key::D}, {-diagonal, diagonal}},
        {{Key::S, Key::D}, {diagonal, -diagonal}},
    };
    for (const Case& c : walks) {
        Match match;
        match.init();
        for (Key key : c.keys) match.window.hold(key);
        match.tick();
        expectNear(match.position("player1"), Vec2(-260, 0) + c.direction * 5.8f);
    }
}

TEST_F(PlayTest, WindowKeysActAlsoWhilePlayerOneIsDeadAndItsOwnKeysDoNot)
{
    game.p1Health = 0;
    for (Key key : {Key::Up, Key::D, Key::L, Key::P, Key::O, Key::Escape}) match.window.hold(key);
    match.tick();
    EXPECT_EQ(match.body("bullet1"), nullptr);
    EXPECT_EQ(countLines(match.printed(), "up"), 0);
    // Only the drift towards player 2 moved it.
    EXPECT_NEAR(match.position("player1").x, -260 + 520 * 0.03f, 1e-3f);
    EXPECT_FALSE(game.captureMouse);
    EXPECT_EQ(match.window.fullScreenRequests, 1);
    EXPECT_EQ(match.window.reshapeRequests, (std::vector<std::pair<int, int>>{{800, 600}}));
    EXPECT_EQ(match.window.positionRequests, (std::vector<std::pair<int, int>>{{50, 50}}));
    EXPECT_EQ(match.window.quitStatus, 1);

    // L flips once per press however long it is held; with the pointer free there is no warp.
    const std::size_t warps = match.window.warps.size();
    match.tick(5);
    EXPECT_FALSE(game.captureMouse);
    EXPECT_EQ(match.window.warps.size(), warps);
    match.window.release(Key::L);
    match.tick();
    match.window.hold(Key::L);
    match.tick();
    EXPECT_TRUE(game.captureMouse);
}

TEST_F(PlayTest, WallsStopBothPlayersAndPlayerTwoPaysOncePerTick)
{
    // Player 2 wedged in the corner of boundsN and boundsW, player 1 walking into poly13.
    match.body("player2")->moveTo(Vec2(-790, 590));
    player2Aim = Vec2(-5, 5);
    match.body("player1")->moveTo(Vec2(-330, 0));
    match.window.hold(Key::A);
    match.tick(3);
    EXPECT_EQ(game.p2Health, 197);
    EXPECT_EQ(game.p1Health, 100);
    expectNear(match.position("player2"), Vec2(-785, 585), 1e-3f);
    expectNear(match.position("player1"), Vec2(-335, 0), 1e-3f);
}

TEST_F(PlayTest, PlayersAndTheBallShovePlayerTwo)
{
    // Overlapping player 1 by 20: pushed out and kicked by fifteen times the overlap.
    match.body("player2")->moveTo(Vec2(-250, 0));
    match.tick();
    EXPECT_NEAR(match.position("player2").x, -230, 1e-3f);
    EXPECT_NEAR(player2Aim.x, 300, 1e-2f);

    // The ball pushes and announces itself, also while player 2 is dead.
    for (const int health : {200, 0}) {
        match.body("player2")->moveTo(Vec2(0, -500));
        player2Aim = Vec2(0, 0);
        game.p2Health = health;
        match.body("player1")->moveTo(Vec2(0, -550));
        game.fireBullet1(Vec2(0, 1), 14); // 50 from player 2: 7 deep
        match.printed();
        match.tick();
        EXPECT_EQ(countLines(match.printed(), "bullet hit p2"), 1);
        if (health > 0) {
            expectNear(match.position("player2"), Vec2(0, -493));
            expectNear(player2Aim, Vec2(0, 14.0001f));
        }
        game.removeObject("bullet1");
    }
}

// Each player in turn: the dead one reappears in the 261st tick at the spawn point drawn on the last
// drift tick, and the other one scores.
TEST(PlayDeath, DeadPlayerDriftsGlidesAndRespawnsWhileTheOtherScores)
{
    for (const int player : {1, 2}) {
        Match match;
        match.init();
        MySim& game = *match.game;
        const std::string name = player == 1 ? "player1" : "player2";
        int& health = player == 1 ? game.p1Health : game.p2Health;
        health = -10;
        int reappeared = 0;
        for (int tick = 1; tick <= 270 && reappeared == 0; ++tick) {
            match.tick();
            if (match.body(name)->visible)
                reappeared = tick;
            else
                EXPECT_EQ(health, 0);
        }
        EXPECT_EQ(reappeared, 261);

        std::srand(1);
        int lastDraw = 0;
        for (int draw = 0; draw < 240; ++draw) lastDraw = std::rand();
        expectNear(match.position(name), game.spawnPoints[static_cast<unsigned>(lastDraw) % 2], 1e-3f);
        EXPECT_EQ(health, player == 1 ? 100 : 200);
        EXPECT_EQ(game.p2Score, player == 1 ? 1 : 0);
        EXPECT_EQ(game.p1Score, player == 1 ? 0 : 1);
        if (player == 2) {
            EXPECT_TRUE(match.body("p2sight")->visible);
            EXPECT_EQ(player2Aim, Vec2(0, 0));
            EXPECT_EQ(player2PrevAim, Vec2(0, 1));
            // With the pointer free and no aim, the button fires straight up.
            game.captureMouse = false;
            match.window.setButton(MouseButton::Left, true);
            match.tick();
            const GameObject* bullet = match.body("bullet2_1");
            ASSERT_NE(bullet, nullptr);
            expectNear(static_cast<const PhysicsComp*>(bullet->components.at("physics"))->velocity, Vec2(0, 24));
        }
    }
}

TEST(PlayCamera, ZoomRecoversTheUsualFramingWithinASecondOfAnyReshapes)
{
    const auto cameraAfter = [](bool reshaping) {
        Match match;
        match.init();
        for (int cycle = 0; cycle < 10; ++cycle) {
            for (const auto& [width, height] : {std::pair{1, 10000}, {10000, 1}, {0, 0}, {0, 600}}) {
                if (reshaping) match.engine->reshape(width, height);
                match.tick();
            }
        }
        match.engine->reshape(800, 600);
        match.tick(60);
        return *match.engine->camera;
    };
    const Camera usual = cameraAfter(false);
    const Camera recovered = cameraAfter(true);
    EXPECT_NEAR(recovered.viewWidth, usual.viewWidth, usual.viewWidth * 0.06f);
    EXPECT_NEAR(recovered.viewHeight, usual.viewHeight, usual.viewHeight * 0.06f);
}

TEST_F(PlayTest, NoRandomDrawWhileBothPlayersLive)
{
    std::srand(42);
    const int firstDraw = std::rand();
    std::srand(42);
    match.window.hold(Key::D);
    match.window.setButton(MouseButton::Left, true);
    for (int tick = 0; tick < 300; ++tick) {
        match.window.movePointer(kCentreX + (tick % 7) - 3, kCentreY + (tick % 5) - 2);
        match.tick();
    }
    ASSERT_GT(game.p1Health, 0);
    ASSERT_GT(game.p2Health, 0);
    EXPECT_EQ(std::rand(), firstDraw);
}

} // namespace
