#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

#include "Circle.h"
#include "Collision.h"
#include "Poly.h"

// Properties of the pair routines over seeded random convex polygons (3 to 8 vertices, both
// windings) and circles.
namespace {

constexpr int kTrials = 4000;
constexpr float kTwoPi = 6.28318530718f;
// Residual push or gap allowed after applying an mtv, world units; scenes are about 40 units across.
constexpr float kTouchTolerance = 4e-3f;

// A random convex polygon inscribed in a circle, with its bounding radius.
struct RandomPolygon {
    std::vector<Vec2> vertices;
    Vec2 centre;
    float radius;
};

class ShapeSource {
public:
    explicit ShapeSource(unsigned seed) : rng(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

    // Vertices on a circle at sorted angles at least 0.2 rad apart, so no edge is degenerate.
    RandomPolygon polygon(const Vec2& centre)
    {
        const int count = std::uniform_int_distribution<int>(3, 8)(rng);
        const float radius = uniform(0.5f, 10.0f);
        const float slack = kTwoPi - 0.2f * static_cast<float>(count);
        std::vector<float> cuts;
        for (int i = 0; i < count; ++i) cuts.push_back(uniform(0.0f, slack));
        std::sort(cuts.begin(), cuts.end());
        const float start = uniform(0.0f, kTwoPi);
        RandomPolygon result{{}, centre, radius};
        for (int i = 0; i < count; ++i) {
            const float angle = start + cuts[static_cast<std::size_t>(i)] + 0.2f * static_cast<float>(i);
            result.vertices.emplace_back(centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle));
        }
        if (rng() % 2 == 0) std::reverse(result.vertices.begin(), result.vertices.end());
        return result;
    }

    Vec2 point(float extent) { return Vec2(uniform(-extent, extent), uniform(-extent, extent)); }

private:
    std::mt19937 rng;
};

// A polygon holding its vertices exactly as given (the Poly constructor would recentre them).
struct ExactPoly : Poly {
    explicit ExactPoly(const std::vector<Vec2>& exact) : Poly(Vec2(), 1, 1.0f, 0, 3, {}) { vertices = exact; }
};

ExactPoly makePoly(const std::vector<Vec2>& vertices) { return ExactPoly(vertices); }

Circle makeCircle(const Vec2& centre, float radius) { return Circle(centre, radius, 1, 0, 0); }

// After moving `body` by a push it reported, the pair is at most touching.
void expectAtMostTouching(const GameObject& body, const GameObject& other)
{
    Vec2 residual;
    if (body.collisionMtv(&other, &residual)) {
        EXPECT_LE(length(residual), kTouchTolerance);
    }
}

TEST(CollisionProperties, CirclePolygonBothWaysAgreeAndPushesSeparate)
{
    ShapeSource source(20240611u);
    int hits = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const RandomPolygon shape = source.polygon(source.point(20.0f));
        const float radius = source.uniform(0.1f, 8.0f);
        const Vec2 centre = shape.centre + source.point(shape.radius + radius);
        const ExactPoly poly = makePoly(shape.vertices);
        Circle circle = makeCircle(centre, radius);

        Vec2 circlePush;
        Vec2 polyPush;
        const bool circleHit = circle.collisionMtv(&poly, &circlePush);
        const bool polyHit = poly.collisionMtv(&circle, &polyPush);
        // Same answer whichever body asks, and from the plain overlap test.
        ASSERT_EQ(circleHit, polyHit) << "trial " << trial;
        ASSERT_EQ(circleHit, circle.collidesWith(&poly)) << "trial " << trial;
        ASSERT_EQ(polyHit, poly.collidesWith(&circle)) << "trial " << trial;
        if (!circleHit) continue;
        ++hits;
        // The polygon's push is exactly the circle's, reversed.
        EXPECT_EQ(polyPush, -circlePush) << "trial " << trial;

        circle.translate(circlePush);
        expectAtMostTouching(circle, poly);
    }
    // Both outcomes were exercised.
    EXPECT_GT(hits, kTrials / 10);
    EXPECT_LT(hits, kTrials * 9 / 10);
}

TEST(CollisionProperties, PolygonPairsAgreeAndPushesSeparate)
{
    ShapeSource source(777u);
    int hits = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const RandomPolygon shapeA = source.polygon(source.point(20.0f));
        const RandomPolygon shapeB = source.polygon(shapeA.centre + source.point(10.0f));
        ExactPoly a = makePoly(shapeA.vertices);
        const ExactPoly b = makePoly(shapeB.vertices);

        Vec2 push;
        const bool hit = a.collisionMtv(&b, &push);
        ASSERT_EQ(hit, a.collidesWith(&b)) << "trial " << trial;
        // Overlap is symmetric even though the axes are walked in another order.
        ASSERT_EQ(hit, b.collidesWith(&a)) << "trial " << trial;
        if (!hit) continue;
        ++hits;
        a.translate(push);
        expectAtMostTouching(a, b);
    }
    EXPECT_GT(hits, kTrials / 10);
    EXPECT_LT(hits, kTrials * 9 / 10);
}

TEST(CollisionProperties, CirclePairsPushToTouching)
{
    ShapeSource source(99u);
    for (int trial = 0; trial < kTrials; ++trial) {
        const float radius = source.uniform(0.1f, 8.0f);
        const float otherRadius = source.uniform(0.1f, 8.0f);
        const Circle other = makeCircle(source.point(20.0f), otherRadius);
        Circle circle = makeCircle(other.position + source.point(radius + otherRadius), radius);
        Vec2 push;
        const bool hit = circle.collisionMtv(&other, &push);
        ASSERT_EQ(hit, circle.collidesWith(&other));
        ASSERT_EQ(hit, other.collidesWith(&circle));
        if (!hit || push == Vec2()) continue;
        circle.translate(push);
        // Just touching: the centres end one radius sum apart.
        EXPECT_NEAR(length(circle.position - other.position), radius + otherRadius, kTouchTolerance);
    }
}

TEST(CollisionProperties, ClearlySeparatedShapesNeverCollide)
{
    ShapeSource source(4242u);
    for (int trial = 0; trial < kTrials; ++trial) {
        const RandomPolygon shapeA = source.polygon(source.point(20.0f));
        const RandomPolygon shapeB = source.polygon(Vec2());
        const float radius = source.uniform(0.1f, 8.0f);
        // Bounding circles at least 0.01 apart in a random direction.
        const float angle = source.uniform(0.0f, kTwoPi);
        const Vec2 direction(std::cos(angle), std::sin(angle));
        const float polygonGap = shapeA.radius + shapeB.radius + source.uniform(0.01f, 5.0f);
        const float circleGap = shapeA.radius + radius + source.uniform(0.01f, 5.0f);
        std::vector<Vec2> moved = shapeB.vertices;
        for (Vec2& v : moved) v += shapeA.centre + direction * polygonGap;

        const ExactPoly a = makePoly(shapeA.vertices);
        const ExactPoly b = makePoly(moved);
        const Circle circle = makeCircle(shapeA.centre - direction * circleGap, radius);
        Vec2 push;
        EXPECT_FALSE(a.collidesWith(&b)) << "trial " << trial;
        EXPECT_FALSE(b.collisionMtv(&a, &push)) << "trial " << trial;
        EXPECT_FALSE(circle.collidesWith(&a)) << "trial " << trial;
        EXPECT_FALSE(a.collisionMtv(&circle, &push)) << "trial " << trial;
    }
}

bool sameBits(const Vec2& a, const Vec2& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(CollisionProperties, ShortcutsGiveTheDefiningRulesBitForBit)
{
    ShapeSource source(5u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    {
        // unitAxis skips the root only where normalised would divide by exactly 1.
        std::vector<Vec2> axes = {Vec2(),          Vec2(1.0f, 0.0f), Vec2(-0.0f, -1.0f), Vec2(1e-6f, 0.0f),
                                  Vec2(nan, 0.0f), Vec2(inf, 1.0f),  Vec2(0.6f, 0.8f)};
        for (int i = 0; i < 20000; ++i) {
            const Vec2 raw = source.point(std::pow(10.0f, source.uniform(-6.0f, 3.0f)));
            axes.push_back(raw);
            axes.push_back(normalised(raw));
        }
        for (const Vec2& axis : axes) EXPECT_TRUE(sameBits(unitAxis(axis), normalised(axis)));
    }
    {
        // The squared-length pre-check keeps exactly the candidate the plain length rule keeps,
        // including among pushes whose lengths tie after rounding.
        for (int run = 0; run < 500; ++run) {
            PushSearch search;
            Vec2 best(kUnsetMtv, kUnsetMtv);
            for (int i = 0; i < 12; ++i) {
                const float angle = source.uniform(0.0f, kTwoPi);
                const float size = i % 3 == 0 ? 1.0f : source.uniform(0.999f, 1.001f);
                const Vec2 candidate(size * std::cos(angle), size * std::sin(angle));
                search.offer(candidate);
                if (length(candidate) < length(best)) best = candidate;
            }
            EXPECT_TRUE(sameBits(search.best, best));
        }
    }
    {
        // The nearest vertex the same way, centres placed so that distances nearly tie.
        for (int run = 0; run < 2000; ++run) {
            const RandomPolygon shape = source.polygon(Vec2());
            const Vec2 centre = source.point(0.01f);
            NearestVertex nearest;
            std::size_t expected = 0;
            for (std::size_t i = 0; i < shape.vertices.size(); ++i) {
                nearest.offer(shape.vertices, i, centre);
                if (length(centre - shape.vertices[i]) < length(centre - shape.vertices[expected])) expected = i;
            }
            EXPECT_EQ(nearest.index, expected);
        }
    }
}

} // namespace
