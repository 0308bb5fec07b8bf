#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Circle.h"
#include "P2BulletComp.h"
#include "PhysicsComp.h"
#include "Poly.h"
#include "match.h"

namespace {

const std::vector<Vec2>& verticesOf(const Match& match, const std::string& name)
{
    return static_cast<const Poly*>(match.body(name))->vertices;
}
const P2BulletComp& bulletState(const Match& match, const std::string& name)
{
    return *static_cast<const P2BulletComp*>(match.body(name)->components.at("bullet2"));
}
Vec2 velocityOf(const Match& match, const std::string& name)
{
    return static_cast<const PhysicsComp*>(match.body(name)->components.at("physics"))->velocity;
}
void expectNear(const Vec2& actual, const Vec2& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

TEST(Arena, SetUpBuildsTheWorldAndPrintsItsLines)
{
    Match match;
    EXPECT_EQ(match.printed(), "base init\nder init\ngets called\nhere you are\n");
    match.init();
    EXPECT_EQ(match.printed(), "0\n");

    std::vector<std::string> names;
    for (const auto& [name, body] : match.game->objects) names.push_back(name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"boundsE", "boundsN", "boundsS", "boundsW", "p2sight", "player1", "player2",
                                        "poly1",   "poly10",  "poly11",  "poly12",  "poly13",  "poly2",   "poly3",
                                        "poly4",   "poly5",   "poly6",   "poly7",   "poly8",   "poly9"}));
    EXPECT_EQ(match.game->drawList.size(), 20u);
    EXPECT_EQ(match.game->drawList.back(), match.body("player2")); // the nearest layer is drawn last

    // Outlines keep their vertex order and land with their vertex mean on the position.
    EXPECT_EQ(verticesOf(match, "poly1"),
              (std::vector<Vec2>{{-427.5f, -175}, {-152.5f, -175}, {-277.5f, -325}, {-542.5f, -325}}));
    EXPECT_EQ(verticesOf(match, "poly3"),
              (std::vector<Vec2>{{-706.25f, -400}, {-556.25f, -400}, {-431.25f, -500}, {-706.25f, -500}}));
    EXPECT_EQ(verticesOf(match, "boundsE"), (std::vector<Vec2>{{800, 700}, {900, 700}, {900, -700}, {800, -700}}));
    EXPECT_EQ(verticesOf(match, "p2sight"),
              (std::vector<Vec2>{{259.5f, 1000}, {260.5f, 1000}, {260.5f, 0}, {259.5f, 0}}));

    // The sight rides on player 2 without turning with it, and is its first behaviour.
    GameObject* player2 = match.body("player2");
    EXPECT_EQ(player2->children.front(), match.body("p2sight"));
    EXPECT_EQ(match.body("p2sight")->rotationFollow, 0.0f);
    EXPECT_EQ(match.game->components.front(), player2->components.at("sight"));

    const HudValues& hud = *match.game->hud;
    EXPECT_EQ((std::vector<int>{*hud.p1Health, *hud.p2Health, *hud.p1Score, *hud.p2Score}),
              (std::vector<int>{100, 200, 0, 0}));
    EXPECT_EQ(match.window.warps, (std::vector<std::pair<int, int>>{{400, 300}}));
}

TEST(Arena, SightStopsAtTheNearestWallEdgeWhateverTheOrderOfNames)
{
    Match match;
    match.init();
    // Up from (0, -500) the ray meets poly2 (nearest, y -425), then poly4 and poly8, later in name order.
    match.body("player2")->moveTo(Vec2(0, -500));
    match.game->updateAll();
    EXPECT_EQ(verticesOf(match, "p2sight"),
              (std::vector<Vec2>{{0.5f, -500}, {0.5f, -425}, {-0.5f, -425}, {-0.5f, -500}}));
    EXPECT_EQ(match.position("p2sight"), Vec2(0, -462.5f));

    // Down from (0, 500) the nearest, poly8 (y 425), comes after poly2 and poly4 in name order.
    match.body("player2")->moveTo(Vec2(0, 500));
    player2Aim = Vec2(0, -0.01f);
    match.game->updateAll();
    EXPECT_EQ(verticesOf(match, "p2sight"), (std::vector<Vec2>{{-0.5f, 500}, {-0.5f, 425}, {0.5f, 425}, {0.5f, 500}}));

    // With no wall in the way the strip is the full 1000 units; a zero aim collapses it onto the player.
    match.clearArena();
    player2Aim = Vec2(0.01f, 0);
    match.game->updateAll();
    EXPECT_EQ(verticesOf(match, "p2sight"),
              (std::vector<Vec2>{{0, 499.5f}, {1000, 499.5f}, {1000, 500.5f}, {0, 500.5f}}));
    player2Aim = Vec2(0, 0);
    match.game->updateAll();
    EXPECT_EQ(verticesOf(match, "p2sight"), std::vector<Vec2>(4, Vec2(0, 500)));
}

TEST(Arena, BulletMovesInTheTickItIsFiredAndExpiresInItsFiftyFirst)
{
    Match match;
    match.init();
    match.clearArena();
    match.printed();
    match.window.setButton(MouseButton::Left, true);
    match.tick();
    match.window.setButton(MouseButton::Left, false);
    EXPECT_EQ(match.printed(), "1\n2\n");

    // Player 2 moved up by 0.0098 before firing along that motion.
    expectNear(match.position("bullet2_1"), Vec2(260, 24.0098f));
    expectNear(velocityOf(match, "bullet2_1"), Vec2(0, 24));
    match.tick(49);
    ASSERT_NE(match.body("bullet2_1"), nullptr);
    EXPECT_EQ(bulletState(match, "bullet2_1").lifeLeft, 0);
    match.tick();
    EXPECT_EQ(match.body("bullet2_1"), nullptr);
    EXPECT_EQ(match.game->components.size(), 1u); // only the sight is left
}

TEST(Arena, UndeflectedBulletHurtsLivingPlayerOneOnly)
{
    for (const int health : {100, 0}) {
        Match match;
        match.init();
        match.game->p1Health = health;
        match.body("player2")->moveTo(Vec2(-260, 40));
        match.game->fireBullet2(Vec2(0, -1), 24);
        match.printed();
        match.game->updateAll();
        if (health > 0) {
            EXPECT_EQ(match.game->p1Health, 85);
            EXPECT_EQ(match.printed(), "col\n");
            EXPECT_EQ(match.body("bullet2_1"), nullptr);
        } else {
            // A dead player is not tested: the bullet passes through.
            EXPECT_EQ(match.game->p1Health, 0);
            EXPECT_EQ(match.printed(), "");
            EXPECT_EQ(match.position("bullet2_1"), Vec2(-260, 16));
        }
    }
}

TEST(Arena, BallKnocksBulletBackTowardsPlayerTwo)
{
    Match match;
    match.init();
    match.game->fireBullet1(Vec2(0, 1), 14); // the ball is at (-260, 14) after its move
    match.body("player2")->moveTo(Vec2(-260, 80));
    match.game->fireBullet2(Vec2(0, -1), 24); // the bullet reaches (-260, 56), 8.5 deep in the ball
    match.printed();
    match.game->updateAll();

    const P2BulletComp& bullet = bulletState(match, "bullet2_1");
    EXPECT_TRUE(bullet.deflected);
    EXPECT_EQ(bullet.lifeLeft, 50);
    EXPECT_EQ(match.position("bullet2_1"), Vec2(-260, 64.5f));
    EXPECT_EQ(velocityOf(match, "bullet2_1"), Vec2(0, 14));
    EXPECT_EQ(static_cast<const Circle*>(match.body("bullet2_1"))->quad.texture,
              match.engine->textures->getTexture("reflected"));
    EXPECT_EQ(match.printed(), "getting called\n");

    // Back at player 1 it does nothing; at player 2 it takes 30.
    match.game->removeObject("bullet1");
    match.body("player1")->moveTo(Vec2(-260, 78.5f));
    match.body("player2")->moveTo(Vec2(0, 0));
    match.game->updateAll();
    EXPECT_EQ(match.game->p1Health, 100);
    match.body("player2")->moveTo(match.position("bullet2_1") + Vec2(0, 14));
    match.game->updateAll();
    EXPECT_EQ(match.game->p2Health, 170);
    EXPECT_EQ(match.printed(), "col\n");
    EXPECT_EQ(match.body("bullet2_1"), nullptr);
}

TEST(Arena, BulletBouncesOffTwoWallsAndEndsAtTheThird)
{
    Match match;
    match.init();
    // Leftwards into the bar poly12, whose right face is at x = 650.
    match.body("player2")->moveTo(Vec2(700, 0));
    match.game->fireBullet2(Vec2(-1, 0), 24);
    match.game->updateAll();
    match.game->updateAll(); // 652: 6.5 deep in the bar
    EXPECT_EQ(match.position("bullet2_1"), Vec2(658.5f, 0));
    EXPECT_EQ(velocityOf(match, "bullet2_1"), Vec2(24, 0));
    EXPECT_EQ(bulletState(match, "bullet2_1").bouncesLeft, 1);

    int ticks = 2;
    while (match.body("bullet2_1") != nullptr && bulletState(match, "bullet2_1").bouncesLeft > 0) {
        match.game->updateAll();
        ++ticks;
    }
    ASSERT_NE(match.body("bullet2_1"), nullptr); // the second bounce, off boundsE
    EXPECT_EQ(velocityOf(match, "bullet2_1"), Vec2(-24, 0));
    while (match.body("bullet2_1") != nullptr) {
        match.game->updateAll();
        ++ticks;
    }
    EXPECT_LT(ticks, 20); // ended by the third contact, long before its age
}

TEST(Arena, FiringNamesBulletsAndKeepsOneBall)
{
    Match match;
    match.init();
    match.printed();
    match.game->fireBullet1(Vec2(1, 1), 14);
    // Turned to point along its flight: the image's top edge, upright at first, faces (1, 1).
    const auto& corners = static_cast<const Circle*>(match.body("bullet1"))->quad.corners;
    expectNear(normalised((corners[0] + corners[1]) * 0.5f - match.position("bullet1")), normalised(Vec2(1, 1)));
    match.body("player1")->moveTo(Vec2(-300, 20));
    match.game->fireBullet1(Vec2(0, -1), 14);
    EXPECT_EQ(match.printed(), "1\n2\n");
    EXPECT_EQ(match.position("bullet1"), Vec2(-300, 20));
    EXPECT_EQ(velocityOf(match, "bullet1"), Vec2(0, -14));
    EXPECT_EQ(match.game->components.size(), 2u); // the sight and the second ball
    EXPECT_EQ(match.game->bullet1Life, 21);
    EXPECT_EQ(match.game->p1FireCooldown, 70);

    for (int shot = 0; shot < 3; ++shot) match.game->fireBullet2(Vec2(3, 4), 24);
    EXPECT_EQ(match.game->bullet2Count, 3);
    for (const char* name : {"bullet2_1", "bullet2_2", "bullet2_3"}) {
        expectNear(velocityOf(match, name), Vec2(14.4f, 19.2f));
    }
    EXPECT_EQ(match.game->p2FireCooldown, 15);
    EXPECT_EQ(toString(-2147483647 - 1), "-2147483648");
}

TEST(Arena, ReflectPointBouncesAVelocityOffAPush)
{
    EXPECT_EQ(reflectPoint(Vec2(0, 0), Vec2(0, 0), Vec2(5, -2)), Vec2(5, -2));
    EXPECT_EQ(reflectPoint(Vec2(1, 0), Vec2(2, 0), Vec2(24, -5)), Vec2(24, 5));
    // Any push: the part along it turns round, the part across it stays.
    const Vec2 push(0.3f, -0.4f);
    const Vec2 velocity(7, 11);
    const Vec2 bounced = reflectPoint(push, push * 2.0f, -velocity);
    EXPECT_NEAR(length(bounced), length(velocity), 1e-4f);
    EXPECT_NEAR(dot(bounced, push), -dot(velocity, push), 1e-4f);
    EXPECT_NEAR(cross(bounced, push), cross(velocity, push), 1e-4f);
}

} // namespace
