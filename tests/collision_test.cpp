#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Box.h"
#include "Circle.h"
#include "Collision.h"
#include "Poly.h"

namespace {

const Vec2 kUntouched(-7.0f, -7.0f);

Circle makeCircle(const Vec2& centre, float radius) { return Circle(centre, radius, 1, 0, 0); }

// A polygon holding its vertices exactly as given (the Poly constructor would recentre them).
struct ExactPoly : Poly {
    explicit ExactPoly(const std::vector<Vec2>& exact) : Poly(Vec2(), 1, 1.0f, 0, 3, {}) { vertices = exact; }
};

// The square S from (-1, -1) to (1, 1), counter-clockwise, shifted right by dx.
ExactPoly square(float dx = 0.0f)
{
    return ExactPoly({Vec2(dx - 1.0f, -1.0f), Vec2(dx + 1.0f, -1.0f), Vec2(dx + 1.0f, 1.0f), Vec2(dx - 1.0f, 1.0f)});
}

// Both queries of body about other answer hit, and collisionMtv leaves mtv as given (kUntouched
// when it must write nothing); no mtv means its value is not checked.
void expectPair(const GameObject& body, const GameObject& other, bool hit, std::optional<Vec2> mtv = std::nullopt)
{
    Vec2 written = kUntouched;
    EXPECT_EQ(body.collidesWith(&other), hit);
    EXPECT_EQ(body.collisionMtv(&other, &written), hit);
    EXPECT_EQ(written, mtv.value_or(written));
}

TEST(Collision, CirclesApartWhenTouchingAndPushedFromTheOtherCentre)
{
    const Circle origin = makeCircle(Vec2(), 15.0f);
    // Circles compare strictly: exactly touching is apart and leaves mtv alone.
    expectPair(makeCircle(Vec2(30.0f, 0.0f), 15.0f), origin, false, kUntouched);
    expectPair(makeCircle(Vec2(29.9f, 0.0f), 15.0f), origin, true);
    // The push runs from the other centre to this one; concentric discs get a zero push.
    expectPair(makeCircle(Vec2(20.0f, 0.0f), 15.0f), origin, true, Vec2(10.0f, 0.0f));
    expectPair(makeCircle(Vec2(), 1.0f), origin, true, Vec2());

    const Box box(Vec2(1.0f, -1.0f), Vec2(3.0f, 1.0f), 1, 3);
    // Closest point (1, 0) exactly one radius away: apart, mtv zeroed.
    expectPair(makeCircle(Vec2(), 1.0f), box, false, Vec2());
    // Overlapping: the circle is pushed out and the box the other way.
    const Circle overlapping = makeCircle(Vec2(0.5f, 0.0f), 1.0f);
    expectPair(overlapping, box, true, Vec2(-0.5f, 0.0f));
    expectPair(box, overlapping, true, Vec2(0.5f, 0.0f));
    // A centre inside the box collides with a zero push.
    expectPair(makeCircle(Vec2(2.0f, 0.0f), 0.5f), box, true, Vec2());
}

TEST(Collision, PolygonPairsSeparateOnTheirAxesAndKeepTheFirstShortestPush)
{
    const ExactPoly s = square();
    // Off a corner both edge axes overlap; only the axis from the nearest vertex separates.
    const Circle corner = makeCircle(Vec2(1.8f, 1.8f), 1.0f);
    expectPair(corner, s, false);
    expectPair(s, corner, false);
    // Circle inside the square: the downward push of the first axis comes first and stays.
    const Circle inside = makeCircle(Vec2(), 0.5f);
    expectPair(inside, s, true, Vec2(0.0f, 1.5f));
    expectPair(s, inside, true, Vec2(0.0f, -1.5f));
    // Found on the first edge axis; the equal push of the top edge does not replace it.
    const Circle above = makeCircle(Vec2(0.0f, 1.5f), 1.0f);
    expectPair(above, s, true, Vec2(0.0f, 0.5f));
    expectPair(s, above, true, Vec2(0.0f, -0.5f));
    // Polygon pairs: the push of the first body out of the second; a shared edge collides with a
    // zero push.
    expectPair(s, square(1.5f), true, Vec2(-0.5f, 0.0f));
    expectPair(s, square(2.0f), true, Vec2());
    // Separated on the second axis: mtv keeps the first axis's push, not negated.
    expectPair(s, square(2.5f), false, Vec2(0.0f, -2.0f));
}

TEST(Collision, NaNCircleReportsEveryAxisAndKeepsTheStartingPush)
{
    const ExactPoly s = square();
    const Circle broken = makeCircle(Vec2(std::numeric_limits<float>::quiet_NaN(), 0.0f), 1.0f);
    // Four edge axes and the nearest-vertex axis fit no overlap case: one line each. The plain
    // overlap test answers the same and prints nothing.
    Vec2 mtv;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(broken.collisionMtv(&s, &mtv));
    EXPECT_TRUE(broken.collidesWith(&s));
    std::string expected;
    for (int axis = 0; axis < 5; ++axis) expected += " OTHER CASE WTF ?? \n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
    EXPECT_EQ(mtv, Vec2(100000.0f, 100000.0f));
}

TEST(Collision, UnhandledPairsAnswerFalseAndLeaveMtvAlone)
{
    const Circle circle = makeCircle(Vec2(), 5.0f);
    const ExactPoly s = square();
    // An unknown tag on a body overlapping both, so that taking it for a circle would answer true;
    // on the heap so that reading it as a larger body is caught.
    const auto unknown = std::make_unique<Circle>(Vec2(), 1.0f, 1, 0, 0);
    unknown->shapeType = static_cast<ShapeType>(3);
    expectPair(circle, *unknown, false, kUntouched);
    expectPair(s, *unknown, false, kUntouched);
    // Polygons and boxes never meet.
    const Box box(Vec2(-1.0f, -1.0f), Vec2(1.0f, 1.0f), 1, 3);
    expectPair(s, box, false, kUntouched);
    expectPair(box, s, false, kUntouched);
    // A polygon without vertices never collides, whichever side asks.
    const Poly empty(Vec2(), 1, 1.0f, 0, 3, {});
    for (const GameObject* other : std::initializer_list<const GameObject*>{&circle, &s, &empty}) {
        expectPair(empty, *other, false, kUntouched);
        expectPair(*other, empty, false, kUntouched);
    }
}

TEST(Box, MovesWithoutTurningItsExtents)
{
    Box box(Vec2(0.0f, 0.0f), Vec2(2.0f, 1.0f), 1, 3);
    box.translate(Vec2(1.0f, 1.0f));
    EXPECT_EQ(box.lower, Vec2(1.0f, 1.0f));
    EXPECT_EQ(box.upper, Vec2(3.0f, 2.0f));
    // A half turn about the origin carries the centre (2, 1.5) to (-2, -1.5).
    box.rotate(3.14159265f, Vec2());
    EXPECT_LT(length(box.lower - Vec2(-3.0f, -2.0f)), 1e-5f);
    EXPECT_LT(length(box.upper - Vec2(-1.0f, -1.0f)), 1e-5f);
}

// Geometric properties over seeded random convex polygons and circles.
constexpr int kTrials = 4000;
constexpr float kTwoPi = 6.28318530718f;
// Residual push allowed after applying an mtv, world units; scenes are about 40 units across.
constexpr float kTouchTolerance = 4e-3f;

struct ShapeSource {
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    Vec2 point(float extent) { return Vec2(uniform(-extent, extent), uniform(-extent, extent)); }

    // 3 to 8 vertices of either winding on a circle, at sorted angles at least 0.2 rad apart so
    // that no edge is degenerate.
    ExactPoly polygon(const Vec2& centre, float radius)
    {
        const int count = std::uniform_int_distribution<int>(3, 8)(rng);
        std::vector<float> angles;
        for (int i = 0; i < count; ++i) angles.push_back(uniform(0.0f, kTwoPi - 0.2f * static_cast<float>(count)));
        std::sort(angles.begin(), angles.end());
        const float start = uniform(0.0f, kTwoPi);
        std::vector<Vec2> vertices;
        for (std::size_t i = 0; i < angles.size(); ++i) {
            const float angle = start + angles[i] + 0.2f * static_cast<float>(i);
            vertices.push_back(centre + Vec2(std::cos(angle), std::sin(angle)) * radius);
        }
        if (rng() % 2 == 0) std::reverse(vertices.begin(), vertices.end());
        return ExactPoly(vertices);
    }

    std::mt19937 rng;
};

// Moves body by the push it reports against other, after which the pair is at most touching.
bool pushApart(GameObject& body, const GameObject& other)
{
    Vec2 push;
    if (!body.collisionMtv(&other, &push)) return false;
    body.translate(push);
    Vec2 residual;
    EXPECT_TRUE(!body.collisionMtv(&other, &residual) || length(residual) <= kTouchTolerance) << length(residual);
    return true;
}

TEST(CollisionProperties, PushesLeaveAtMostTouchingAndSeparatedShapesNeverCollide)
{
    ShapeSource source{std::mt19937(20240611u)};
    int circlePolygonHits = 0, polygonHits = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE(trial);
        const Vec2 centre = source.point(20.0f);
        const float polygonRadius = source.uniform(0.5f, 10.0f);
        const ExactPoly poly = source.polygon(centre, polygonRadius);
        const float radius = source.uniform(0.1f, 8.0f);
        Circle circle = makeCircle(centre + source.point(polygonRadius + radius), radius);
        circlePolygonHits += pushApart(circle, poly);
        // Polygon pairs; overlap is symmetric though the axes are walked in another order.
        ExactPoly other = source.polygon(centre + source.point(10.0f), source.uniform(0.5f, 10.0f));
        ASSERT_EQ(other.collidesWith(&poly), poly.collidesWith(&other));
        polygonHits += pushApart(other, poly);
        // Circle pairs end exactly one radius sum apart.
        const float otherRadius = source.uniform(0.1f, 8.0f);
        Circle disc = makeCircle(centre + source.point(radius + otherRadius), radius);
        if (pushApart(disc, makeCircle(centre, otherRadius))) {
            EXPECT_NEAR(length(disc.position - centre), radius + otherRadius, kTouchTolerance);
        }
        // Shapes whose bounding circles are at least 0.01 apart, in a random direction, never collide.
        const float angle = source.uniform(0.0f, kTwoPi), farRadius = source.uniform(0.5f, 10.0f);
        const Vec2 direction(std::cos(angle), std::sin(angle));
        const ExactPoly far =
            source.polygon(centre + direction * (polygonRadius + farRadius + source.uniform(0.01f, 5.0f)), farRadius);
        const Circle away =
            makeCircle(centre - direction * (polygonRadius + radius + source.uniform(0.01f, 5.0f)), radius);
        expectPair(poly, far, false);
        expectPair(far, poly, false);
        expectPair(away, poly, false);
        expectPair(poly, away, false);
    }
    // Both outcomes were exercised.
    for (const int hits : {circlePolygonHits, polygonHits}) {
        EXPECT_GT(hits, kTrials / 10);
        EXPECT_LT(hits, kTrials * 9 / 10);
    }
}

} // namespace
