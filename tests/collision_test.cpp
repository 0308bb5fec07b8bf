#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>

#include "Bounds.h"
#include "Box.h"
#include "Circle.h"
#include "ObjectMap.h"
#include "Poly.h"
#include "PolygonBoxes.h"

namespace {

const Vec2 kUntouched(-7, -7);

Circle disc(float x, float y, float radius) { return Circle(Vec2(x, y), radius, 1, 0, 0); }

// The square from (-1, -1) to (1, 1), counter-clockwise, shifted right by dx.
Poly square(float dx = 0) { return Poly(Vec2(dx, 0), 1, 1, 0, 3, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}); }

// Both queries of body about other answer hit and collisionMtv writes mtv (kUntouched: nothing);
// with both, the other body asking answers the same and, on a hit, gets the push negated.
void expectPair(const GameObject& body, const GameObject& other, bool hit, const Vec2& mtv, bool both = true)
{
    Vec2 written = kUntouched;
    EXPECT_EQ(body.collidesWith(&other), hit);
    EXPECT_EQ(body.collisionMtv(&other, &written), hit);
    EXPECT_LT(length(written - mtv), 1e-5f) << written.x << ", " << written.y;
    if (both) expectPair(other, body, hit, hit ? mtv * -1 : mtv, false);
}

TEST(Collision, CirclesArePushedFromTheOtherCentreOrTheBoxAndAreApartWhenTouching)
{
    // Neither centre at the origin, so that a sum of centres cannot pass for their difference.
    expectPair(disc(20, 5, 10), disc(5, 5, 5), false, kUntouched);
    expectPair(disc(15, 5, 10), disc(5, 5, 5), true, Vec2(5, 0));
    expectPair(disc(8, 9, 5), disc(5, 5, 5), true, Vec2(3, 4));
    // Concentric discs have no direction: a hit with no push.
    expectPair(disc(5, 5, 1), disc(5, 5, 5), true, Vec2());

    // Against a box the push runs from the box's closest point on every side; a miss writes zero.
    const Box box(Vec2(1, -1), Vec2(3, 1), 1, 3);
    expectPair(disc(0, 0, 1), box, false, Vec2()); // touching the left side
    expectPair(disc(0.5f, 0, 1), box, true, Vec2(-0.5f, 0));
    expectPair(disc(3.5f, 0, 1), box, true, Vec2(0.5f, 0));
    expectPair(disc(2, 1.5f, 1), box, true, Vec2(0, 0.5f));
    expectPair(disc(2, -1.75f, 1), box, true, Vec2(0, -0.25f));
    expectPair(disc(3.6f, 1.8f, 1.5f), box, true, Vec2(0.3f, 0.4f)); // off a corner
    expectPair(disc(2, 0, 0.5f), box, true, Vec2());                 // centre inside: no push
}

TEST(Collision, PolygonsPushOutOfCirclesAndPolygonsAndMeetNoBoxes)
{
    const Poly s = square();
    expectPair(disc(0, 1.5f, 1), s, true, Vec2(0, 0.5f));
    // Off a corner only the axis from the nearest vertex separates; a miss leaves the best push so far.
    expectPair(disc(1.8f, 1.8f, 1), s, false, Vec2(0, 0.2f));
    expectPair(s, square(1.5f), true, Vec2(-0.5f, 0));
    // Polygons and boxes never meet, nor does a polygon without vertices meet anything.
    const Box box(Vec2(-1, -1), Vec2(1, 1), 1, 3);
    const Poly empty(Vec2(), 1, 1, 0, 3, {});
    const Circle circle = disc(0, 0, 5);
    expectPair(s, box, false, kUntouched);
    const GameObject* others[] = {&s, &box, &empty, &circle};
    for (const GameObject* other : others) expectPair(empty, *other, false, kUntouched);
}

// A push by the vector a hit writes leaves the bodies touching: a little further and they are apart, a little short
// and they still overlap. Random discs, boxes and convex polygons, every pair that pushes.
TEST(Collision, APushLeavesTheBodiesTouching)
{
    constexpr float kTolerance = 1e-3f;
    std::mt19937 random(19);
    const auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    // Kind 0 a disc, 1 a box, 2 a polygon of 3 to 8 vertices on a circle, counter-clockwise and none too close.
    const auto body = [&](int kind) -> std::unique_ptr<GameObject> {
        const Vec2 at(uniform(-2, 2), uniform(-2, 2));
        const float size = uniform(0.5f, 2);
        if (kind == 0) return std::make_unique<Circle>(at, size, 1, 0, 0);
        if (kind == 1) return std::make_unique<Box>(at, at + Vec2(size, uniform(0.5f, 2)), 1, 3);
        std::vector<Vec2> vertices(3 + random() % 6);
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            const float angle = 2 * float(M_PI) * (float(i) + uniform(0, 0.8f)) / float(vertices.size());
            vertices[i] = Vec2(std::cos(angle), std::sin(angle)) * size;
        }
        return std::make_unique<Poly>(at, 1, 1, 0, 3, vertices);
    };
    int pushes = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const std::unique_ptr<GameObject> moved = body(trial % 3), other = body(trial / 3 % 3);
        Vec2 mtv;
        if (!moved->collisionMtv(other.get(), &mtv) || length(mtv) < 2 * kTolerance) continue;
        ++pushes;
        const Vec2 nudge = normalised(mtv) * kTolerance;
        moved->translate(mtv + nudge);
        EXPECT_FALSE(moved->collidesWith(other.get())) << "trial " << trial;
        moved->translate(nudge * -2);
        EXPECT_TRUE(moved->collidesWith(other.get())) << "trial " << trial;
    }
    EXPECT_GT(pushes, 500);
}

TEST(Bounds, OnlyBoxesClearlyApartSkipThePairTest)
{
    const Poly s = square();
    // A disc whose box lies off each side of the square's; within rounding of it, across it, NaN or inside out.
    const Circle apart[] = {disc(0, 2.5f, 1), disc(0, -2.5f, 1), disc(2.5f, 0, 1), disc(-2.5f, 0, 1)};
    const Circle near[] = {disc(0, 3.0005f, 2), disc(0, 1.5f, 1), disc(NAN, 5, 1), disc(0, 3, -1)};
    for (const Circle& c : apart) EXPECT_TRUE(circleAndPolygonClearlyApart(c, s) && circleAndPolygonClearlyApart(s, c));
    for (const Circle& c : near) EXPECT_FALSE(circleAndPolygonClearlyApart(c, s) || circleAndPolygonClearlyApart(s, c));
    // A NaN vertex makes the polygon's whole box NaN, never apart from anything.
    EXPECT_FALSE(clearlyApart(boundsOfPoints({Vec2(), Vec2(NAN, 1)}), Aabb{Vec2(9, 9), Vec2(10, 10)}));
}

TEST(Bounds, SweptBoxesFollowTheirPolygonsAndTheList)
{
    Poly s = square();
    Poly far = square(50);
    const Circle c = disc(10, 0, 1);
    // The registry counts its polygons' moves once it has filed them by kind.
    ObjectMap objects;
    objects["a"] = &s;
    objects["b"] = &far;
    const auto& walls = objects.ofKind(s.kind);
    ASSERT_EQ(walls.size(), 2u);
    PolygonBoxes boxes;
    boxes.refresh(walls, objects.changeCount());
    EXPECT_EQ(boxes.nextNotApart(DiscReach(c), 0), 2u);
    s.translate(Vec2(10, 0));
    boxes.refresh(walls, objects.changeCount());
    EXPECT_EQ(boxes.nextNotApart(DiscReach(c), 0), 0u);
    // Another list is taken afresh whatever the count says.
    boxes.refresh({&far, &s}, objects.changeCount());
    EXPECT_EQ(boxes.nextNotApart(DiscReach(c), 0), 1u);
    // A body gone and another in its place is a change too.
    objects.erase(objects.find("b"));
    objects["b"] = &far;
    far.translate(Vec2(-40, 0));
    boxes.refresh(objects.ofKind(s.kind), objects.changeCount());
    EXPECT_EQ(boxes.nextNotApart(DiscReach(c), 0), 0u);
    EXPECT_EQ(boxes.nextNotApart(DiscReach(c), 1), 1u);
}

} // namespace
