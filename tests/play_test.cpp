#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Camera.h"
#include "MatchFixture.h"

namespace {

constexpr int kCentreX = 400;
constexpr int kCentreY = 300;

int countLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (std::size_t at = 0; (at = text.find(line + "\n", at)) != std::string::npos; at += line.size())
        count += at == 0 || text[at - 1] == '\n';
    return count;
}
struct Play : MatchTest {
    Camera& camera = game.camera;
};

TEST_F(Play, FirstTickMovesPlayerTwoAlongItsStartAimAndEasesTheCamera)
{
    match.tick();
    EXPECT_EQ(match.position("player2"), Vec2(260, 0.01f * 0.98f));
    EXPECT_EQ(match.position("player1"), Vec2(-260, 0));
    // 520 apart across: the view eases 5 % of the way to 520 + 650 wide.
    EXPECT_FLOAT_EQ(camera.viewWidth, 438.5f);
    EXPECT_FLOAT_EQ(camera.viewHeight, 438.5f / (4.0f / 3.0f));
    expectNear(camera.position, Vec2(0, 0.0049f * 0.13f), 1e-7f);
    EXPECT_EQ(camera.target, camera.position);
    // Players on one spot (player 1 dead, so not pushed apart): the view eases towards 651 x 488.25.
    match.body("player1")->moveTo(match.position("player2"));
    game.p1Health = 0;
    const float height = camera.viewHeight;
    match.tick();
    EXPECT_FLOAT_EQ(camera.viewHeight, height + (0.75f + 487.5f - height) * 0.05f);
}

TEST_F(Play, PointerOffsetSteersPlayerTwoWhichFacesItsMotion)
{
    match.window.movePointer(kCentreX + 10, kCentreY + 10);
    match.tick();
    expectNear(game.player2Aim, Vec2(0.2842f, -0.2744f));
    expectNear(match.position("player2"), Vec2(260.2842f, -0.2744f));
    EXPECT_EQ(match.engine.mouseX, kCentreX); // warped back: the next tick only damps
    // Beyond the cap of 12 (12.5 here), the aim is cut to 12 and damped to 11.76.
    game.player2Aim = Vec2(0, 0.01f);
    match.window.movePointer(kCentreX + 431, kCentreY);
    match.tick();
    EXPECT_NEAR(length(game.player2Aim), 11.76f, 1e-4f);
    expectNear(facingOf(match.body("player2")), normalised(game.player2Aim), 1e-3f);
}

// Both alive throughout, walking and firing: no random number is drawn.
TEST_F(Play, PlayerOneThrowsEverySeventyFirstTickAndPlayerTwoFiresEverySixteenth)
{
    const GameRandom unused = game.random;
    match.window.hold(Key::Up);
    match.window.hold(Key::D);
    match.window.setButton(MouseButton::Left, true);
    std::vector<int> ballIds, volleys; // the ball's component id each tick (-1: none); player 2's shots
    for (int tick = 1; tick <= 72; ++tick) {
        const int fired = game.bullet2Count;
        match.tick();
        const GameObject* ball = match.body("bullet1");
        ballIds.push_back(ball != nullptr ? ball->components.at("physics")->id : -1);
        if (game.bullet2Count != fired) volleys.push_back(tick);
    }
    // The ball lasts the tick it is thrown in and 21 more.
    std::vector<int> expected(72, -1);
    std::fill(expected.begin(), expected.begin() + 22, 1);
    expected[71] = 12;
    EXPECT_EQ(ballIds, expected);
    EXPECT_EQ(volleys, (std::vector<int>{1, 17, 33, 49, 65}));
    EXPECT_EQ(countLines(match.printed(), "up"), 72);
    ASSERT_TRUE(game.p1Health > 0 && game.p2Health > 0);
    EXPECT_EQ(game.random, unused);
}

// The match draws what the C library's rand() draws from the same seed, unseeded (1) included.
TEST(PlayRandom, TheMatchGeneratorDrawsTheLibrarySequence)
{
    for (const unsigned seed : {1u, 0u, 42u, 2147483647u}) {
        GameRandom generator(seed);
        std::srand(seed);
        for (int draw = 0; draw < 1000; ++draw) ASSERT_EQ(generator.next(), std::rand()) << seed << " " << draw;
    }
}

TEST(PlayKeys, DirectionTablesTakeTheFirstMatchingChord)
{
    const float d = std::sqrt(0.5f);
    const struct {
        std::vector<Key> keys;
        Vec2 throwDirection, walkDirection;
    } cases[] = {
        {{Key::Left, Key::Up, Key::Right, Key::A, Key::W, Key::D}, {-d, d}, {-d, d}},
        {{Key::Up, Key::Right, Key::W, Key::D}, {d, d}, {d, d}},
        {{Key::Right, Key::Down, Key::D, Key::S}, {d, -d}, {d, -d}},
        {{Key::Down, Key::Left, Key::S, Key::A}, {-d, -d}, {-d, -d}},
        {{Key::Left, Key::Right, Key::A, Key::D}, {-1, 0}, {-1, 0}},
        {{Key::Up, Key::Down, Key::W, Key::S}, {0, 1}, {0, 1}},
    };
    for (const auto& c : cases) {
        Match match;
        match.init();
        for (const Key key : c.keys) match.window.hold(key);
        match.tick();
        expectNear(velocityOf(match.body("bullet1")), c.throwDirection * 14.0f);
        expectNear(match.position("player1"), Vec2(-260, 0) + c.walkDirection * 5.8f);
    }
}

TEST_F(Play, WindowKeysActAlsoWhilePlayerOneIsDeadAndItsOwnKeysDoNot)
{
    game.p1Health = 0;
    for (const Key key : {Key::Up, Key::D, Key::L, Key::P}) match.window.hold(key);
    match.tick();
    EXPECT_EQ(match.body("bullet1"), nullptr);
    EXPECT_EQ(match.printed(), "");
    EXPECT_NEAR(match.position("player1").x, -260 + 520 * 0.03f, 1e-3f); // only the drift moved it
    EXPECT_EQ(match.window.fullScreenRequests, 1);
    EXPECT_TRUE(match.window.reshapeRequests.empty());
    // L flips capture once per press however long it is held; with the pointer free there is no warp.
    const std::size_t warps = match.window.warps.size();
    match.tick(5);
    EXPECT_FALSE(game.captureMouse);
    EXPECT_EQ(match.window.warps.size(), warps);
    for (const Key key : {Key::L, Key::P}) match.window.release(key);
    match.tick();
    for (const Key key : {Key::L, Key::O, Key::Escape}) match.window.hold(key);
    match.tick();
    EXPECT_TRUE(game.captureMouse);
    EXPECT_EQ(match.window.reshapeRequests, (std::vector<std::pair<int, int>>{{800, 600}}));
    EXPECT_EQ(match.window.positionRequests, (std::vector<std::pair<int, int>>{{50, 50}}));
    EXPECT_EQ(match.engine.exitStatus(), 1); // the match quit, not the window
}

TEST_F(Play, WallsStopBothPlayersAndPlayerTwoPaysOncePerTickAndTheBallShovesIt)
{
    // Player 2 wedged in the corner of boundsN and boundsW, player 1 walking into poly13.
    match.body("player2")->moveTo(Vec2(-790, 590));
    game.player2Aim = Vec2(-5, 5);
    match.body("player1")->moveTo(Vec2(-330, 0));
    match.window.hold(Key::A);
    match.tick(3);
    EXPECT_EQ(game.p2Health, 197);
    EXPECT_EQ(game.p1Health, 100);
    expectNear(match.position("player2"), Vec2(-785, 585), 1e-3f);
    expectNear(match.position("player1"), Vec2(-335, 0), 1e-3f);
    match.window.release(Key::A);

    // Overlapping player 1 by 20: pushed out and kicked by fifteen times the overlap.
    match.body("player2")->moveTo(Vec2(-325, 0));
    game.player2Aim = Vec2(0, 0);
    match.tick();
    EXPECT_NEAR(match.position("player2").x, -305, 1e-3f);
    EXPECT_NEAR(game.player2Aim.x, 300, 1e-2f);
    // The ball pushes it and announces itself, twice the overlap in kick, also while it is dead.
    for (const int health : {200, 0}) {
        match.body("player2")->moveTo(Vec2(0, -500));
        game.player2Aim = Vec2(0, 0);
        game.p2Health = health;
        match.body("player1")->moveTo(Vec2(0, -550));
        game.fireBullet1(Vec2(0, 1), 14); // 50 from player 2: 7 deep
        match.printed();
        match.tick();
        EXPECT_EQ(countLines(match.printed(), "bullet hit p2"), 1);
        if (health > 0) expectNear(game.player2Aim, Vec2(0, 14.0001f));
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
        MySim& game = match.game;
        const std::string name = player == 1 ? "player1" : "player2";
        int& health = player == 1 ? game.p1Health : game.p2Health;
        health = -10;
        // Player 2 dies facing and moving along +x, with the button held and the pointer free.
        match.body("player2")->rotate(-1.5707964f, match.position("player2"));
        game.player2Aim = Vec2(1, 0);
        game.captureMouse = false;
        match.window.setButton(MouseButton::Left, true);
        int reappeared = 0;
        for (int tick = 1; tick <= 270 && reappeared == 0; ++tick) {
            match.tick();
            if (match.body(name)->visible)
                reappeared = tick;
            else
                EXPECT_EQ(health, 0);
        }
        EXPECT_EQ(reappeared, 261);
        GameRandom fresh;
        int lastDraw = 0;
        for (int draw = 0; draw < 240; ++draw) lastDraw = fresh.next();
        expectNear(match.position(name), Vec2(lastDraw % 2 == 0 ? -725 : 725, 0), 1e-3f);
        EXPECT_EQ(health, player == 1 ? 100 : 200);
        EXPECT_EQ(*game.hud->p1Score, player == 1 ? 0 : 1);
        EXPECT_EQ(*game.hud->p2Score, player == 1 ? 1 : 0);
        if (player == 1) continue;
        // Player 2 never fired while dead, and comes back facing up with its sight and no aim: the
        // button then fires straight up.
        EXPECT_EQ(game.bullet2Count, 0);
        expectNear(facingOf(match.body("player2")), Vec2(0, 1), 1e-3f);
        EXPECT_TRUE(match.body("p2sight")->visible);
        EXPECT_EQ(game.player2PrevAim, Vec2(0, 1));
        match.tick();
        expectNear(velocityOf(match.body("bullet2_1")), Vec2(0, 24));
    }
}

} // namespace
