#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "MatchFixture.h"
#include "P2BulletComp.h"
#include "Poly.h"

namespace {

using Outline = std::vector<Vec2>;

const Outline& outlineOf(const Match& match, const std::string& name)
{
    return static_cast<const Poly*>(match.body(name))->vertices;
}
const P2BulletComp& bulletOf(const Match& match, const std::string& name)
{
    return *static_cast<const P2BulletComp*>(match.body(name)->components.at("bullet2"));
}
struct Arena : MatchTest {
    // Takes every wall and bound out, for shots that must fly undisturbed.
    void clearArena()
    {
        std::vector<std::string> walls;
        for (const auto& [name, body] : game.objects)
            if (body->kind == 3) walls.push_back(name);
        for (const std::string& name : walls) game.removeObject(name);
    }
};

TEST(ArenaSetUp, BuildsTheWorldPrintsItsLinesAndWarpsToTheCentre)
{
    Match match;
    EXPECT_EQ(match.printed(), "base init\nder init\ngets called\nhere you are\n");
    match.init();
    EXPECT_EQ(match.printed(), "0\n");
    std::string names;
    for (const auto& [name, body] : match.game.objects) names += name + " ";
    EXPECT_EQ(names, "boundsE boundsN boundsS boundsW p2sight player1 player2 poly1 poly10 poly11 poly12 poly13 poly2 "
                     "poly3 poly4 poly5 poly6 poly7 poly8 poly9 ");
    EXPECT_EQ(match.game.drawList.size(), 20u);
    EXPECT_EQ(match.game.drawList.back(), match.body("player2")); // the nearest layer is drawn last

    // Outlines keep their vertex order and land with their vertex mean on the position.
    EXPECT_EQ(outlineOf(match, "poly1"), (Outline{{-427.5f, -175}, {-152.5f, -175}, {-277.5f, -325}, {-542.5f, -325}}));
    EXPECT_EQ(outlineOf(match, "boundsE"), (Outline{{800, 700}, {900, 700}, {900, -700}, {800, -700}}));
    EXPECT_EQ(outlineOf(match, "p2sight"), (Outline{{259.5f, 1000}, {260.5f, 1000}, {260.5f, 0}, {259.5f, 0}}));
    // The arena is its own mirror image across both axes, band widths included.
    std::set<std::vector<float>> walls, mirrored;
    for (const auto& [name, body] : match.game.objects) {
        if (body->kind != 3) continue;
        const auto* wall = static_cast<const Poly*>(body);
        for (const Vec2& v : wall->vertices) {
            walls.insert({v.x, v.y, wall->edgeWidth});
            mirrored.insert({-v.x, v.y, wall->edgeWidth});
            mirrored.insert({v.x, -v.y, wall->edgeWidth});
        }
    }
    EXPECT_EQ(walls, mirrored);

    // The sight rides on player 2 without turning with it, and is the first behaviour to run.
    GameObject* player2 = match.body("player2");
    EXPECT_EQ(player2->children.front(), match.body("p2sight"));
    EXPECT_EQ(match.body("p2sight")->rotationFollow, 0.0f);
    EXPECT_EQ(match.game.components.front(), player2->components.at("sight"));
    const HudValues& hud = *match.game.hud;
    EXPECT_EQ((std::vector<int>{*hud.p1Health, *hud.p2Health, *hud.p1Score, *hud.p2Score}),
              (std::vector<int>{100, 200, 0, 0}));
    EXPECT_EQ(match.window.warps, (std::vector<std::pair<int, int>>{{400, 300}}));
}

// A body the match cannot place (a coordinate that is not a number) still reports every axis it cannot
// resolve on the match's own console, as the collision routines do when handed one.
TEST_F(Arena, UnresolvableContactIsReportedOnTheMatchConsole)
{
    match.body("player1")->moveTo(Vec2(std::nanf(""), 0.0f));
    match.tick();
    EXPECT_NE(match.printed().find(" OTHER CASE WTF ?? \n"), std::string::npos);
}

TEST_F(Arena, SightStopsAtTheNearestWallEdgeWhateverTheOrderOfNames)
{
    struct Case {
        Vec2 from, aim, to;
    };
    const Case cases[] = {
        // Up: poly2 (nearest) comes before poly4 and poly8 in name order; down: poly8 (nearest) after them.
        {{0, -500}, {0, 0.01f}, {0, -425}},
        {{0, 500}, {0, -0.01f}, {0, 425}},
        // Only through poly2's closing edge, from its last vertex back to its first.
        {{-180, -350}, {1, 0}, {-137.5f, -350}},
    };
    for (const Case& c : cases) {
        match.body("player2")->moveTo(c.from);
        game.player2Aim = c.aim;
        game.updateAll();
        const Vec2 across = normalised(Vec2(c.to.y - c.from.y, c.from.x - c.to.x)) * 0.5f;
        EXPECT_EQ(outlineOf(match, "p2sight"),
                  (Outline{c.from + across, c.to + across, c.to - across, c.from - across}));
        EXPECT_EQ(match.position("p2sight"), c.from + (c.to - c.from) * 0.5f);
    }
    // With no wall in the way the strip is the full 1000 units; a zero aim collapses it onto the player.
    clearArena();
    game.player2Aim = Vec2(0.01f, 0);
    game.updateAll();
    EXPECT_EQ(outlineOf(match, "p2sight"), (Outline{{-180, -350.5f}, {820, -350.5f}, {820, -349.5f}, {-180, -349.5f}}));
    game.player2Aim = Vec2(0, 0);
    game.updateAll();
    EXPECT_EQ(outlineOf(match, "p2sight"), Outline(4, Vec2(-180, -350)));
}

TEST_F(Arena, BulletMovesInTheTickItIsFiredAndExpiresInItsFiftyFirst)
{
    clearArena();
    match.window.setButton(MouseButton::Left, true);
    match.tick();
    match.window.setButton(MouseButton::Left, false);
    EXPECT_EQ(match.printed(), "1\n2\n");
    // Player 2 moved up by 0.0098 before firing along that motion; the bullet is drawn farthest back.
    expectNear(match.position("bullet2_1"), Vec2(260, 24.0098f));
    expectNear(velocityOf(match.body("bullet2_1")), Vec2(0, 24));
    EXPECT_EQ(game.drawList.front(), match.body("bullet2_1"));
    EXPECT_EQ(static_cast<const Circle*>(match.body("bullet2_1"))->quad.texture, 13u); // "whitecircle"
    match.tick(49);
    EXPECT_EQ(bulletOf(match, "bullet2_1").lifeLeft, 0);
    match.tick();
    EXPECT_EQ(match.body("bullet2_1"), nullptr);
    EXPECT_EQ(game.components.size(), 1u); // only the sight is left
}

TEST_F(Arena, UndeflectedBulletHurtsLivingPlayerOneOnly)
{
    // Shot from just above player 1, each bullet reaches (-260, 16): inside player 1. The first hits;
    // a dead player is not tested, so the second passes through.
    match.body("player2")->moveTo(Vec2(-260, 40));
    for (const int health : {100, 0}) {
        game.p1Health = health;
        game.fireBullet2(Vec2(0, -1), 24);
        match.printed();
        game.updateAll();
        EXPECT_EQ(match.printed(), health > 0 ? "col\n" : "");
        EXPECT_EQ(game.p1Health, health > 0 ? 85 : 0);
    }
    EXPECT_EQ(match.body("bullet2_1"), nullptr);
    EXPECT_EQ(match.position("bullet2_2"), Vec2(-260, 16));
}

TEST_F(Arena, BallKnocksBulletBackTowardsPlayerTwo)
{
    game.fireBullet1(Vec2(0, 1), 14); // the ball is at (-260, 14) after its move
    match.body("player2")->moveTo(Vec2(-260, 80));
    game.fireBullet2(Vec2(0, -1), 24); // the bullet reaches (-260, 56), 8.5 deep in the ball
    match.printed();
    game.updateAll();
    EXPECT_TRUE(bulletOf(match, "bullet2_1").deflected);
    EXPECT_EQ(bulletOf(match, "bullet2_1").lifeLeft, 50);
    EXPECT_EQ(match.position("bullet2_1"), Vec2(-260, 64.5f));
    EXPECT_EQ(velocityOf(match.body("bullet2_1")), Vec2(0, 14));
    EXPECT_EQ(static_cast<const Circle*>(match.body("bullet2_1"))->quad.texture, 11u); // "reflected"
    EXPECT_EQ(match.printed(), "getting called\n");

    // Back at player 1 it does nothing; at player 2 it takes 30.
    game.removeObject("bullet1");
    match.body("player1")->moveTo(Vec2(-260, 78.5f));
    match.body("player2")->moveTo(Vec2(0, 0));
    game.updateAll();
    EXPECT_EQ(game.p1Health, 100);
    match.body("player2")->moveTo(match.position("bullet2_1") + Vec2(0, 14));
    game.updateAll();
    EXPECT_EQ(game.p2Health, 170);
    EXPECT_EQ(match.printed(), "col\n");
    EXPECT_EQ(match.body("bullet2_1"), nullptr);
}

TEST_F(Arena, BulletBouncesOffTwoWallsAndEndsAtTheThird)
{
    // Leftwards into the bar poly12, whose right face is at x = 650.
    match.body("player2")->moveTo(Vec2(700, 0));
    game.fireBullet2(Vec2(-1, 0), 24);
    game.updateAll();
    game.updateAll(); // 652: 6.5 deep in the bar
    EXPECT_EQ(match.position("bullet2_1"), Vec2(658.5f, 0));
    EXPECT_EQ(velocityOf(match.body("bullet2_1")), Vec2(24, 0));
    EXPECT_EQ(bulletOf(match, "bullet2_1").bouncesLeft, 1);
    int ticks = 2;
    for (; match.body("bullet2_1") != nullptr && bulletOf(match, "bullet2_1").bouncesLeft > 0; ++ticks)
        game.updateAll();
    EXPECT_EQ(velocityOf(match.body("bullet2_1")), Vec2(-24, 0)); // the second bounce, off boundsE
    for (; match.body("bullet2_1") != nullptr; ++ticks) game.updateAll();
    EXPECT_LT(ticks, 20); // ended by the third contact, long before its age
}

// Pushed out of one wall into the next in name order, 14 apart: that contact counts too.
TEST_F(Arena, BulletPushedIntoAnotherWallBouncesOffItInTheSameTick)
{
    clearArena();
    const auto slab = [](float left, float right) {
        return new Poly(Vec2((left + right) / 2, 0), 1, 1, 0, 3, {{left, -50}, {right, -50}, {right, 50}, {left, 50}});
    };
    game.objects["wallA"] = slab(-100, 0);
    game.objects["wallB"] = slab(14, 100);
    match.body("player2")->moveTo(Vec2(2, -24));
    game.fireBullet2(Vec2(0, 1), 24); // reaches (2, 0), 6.5 deep in wallA
    game.updateAll();
    EXPECT_EQ(bulletOf(match, "bullet2_1").bouncesLeft, 0);
}

TEST_F(Arena, FiringNamesBulletsAndKeepsOneBallTurnedAlongItsFlight)
{
    game.fireBullet1(Vec2(1, 1), 14);
    expectNear(facingOf(match.body("bullet1")), normalised(Vec2(1, 1)));
    match.body("player1")->moveTo(Vec2(-300, 20));
    game.fireBullet1(Vec2(0, -1), 14);
    EXPECT_EQ(match.printed(), "1\n2\n");
    EXPECT_EQ(match.position("bullet1"), Vec2(-300, 20));
    EXPECT_EQ(velocityOf(match.body("bullet1")), Vec2(0, -14));
    EXPECT_EQ(game.components.size(), 2u); // the sight and the second ball

    for (int shot = 0; shot < 10; ++shot) game.fireBullet2(Vec2(3, 4), 24);
    expectNear(velocityOf(match.body("bullet2_10")), Vec2(14.4f, 19.2f));
}

TEST(ArenaBounce, ReflectPointMirrorsAcrossTheLineAlongThePush)
{
    EXPECT_EQ(reflectPoint(Vec2(0, 0), Vec2(0, 0), Vec2(5, -2)), Vec2(5, -2));
    EXPECT_EQ(reflectPoint(Vec2(1, 0), Vec2(2, 0), Vec2(24, -5)), Vec2(24, 5));
}

} // namespace
