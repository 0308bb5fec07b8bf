#include <gtest/gtest.h>

#include "Vec2.h"

namespace {

constexpr float kPi = 3.14159265358979f;

TEST(Vec2, UnitVectorRulesAndClockwiseAngles)
{
    // normalise leaves only a zero vector alone; normalised also leaves anything up to 1e-5 long.
    const Vec2 cases[][3] = {{Vec2(0, 0), Vec2(0, 0), Vec2(0, 0)},
                             {Vec2(5e-6f, 0), Vec2(1, 0), Vec2(5e-6f, 0)},
                             {Vec2(0, 2e-5f), Vec2(0, 1), Vec2(0, 1)}};
    for (const auto& [v, unit, unitOrSelf] : cases) {
        Vec2 w = v;
        normalise(w);
        EXPECT_TRUE(length(w - unit) < 1e-5f && length(normalised(v) - unitOrSelf) < 1e-5f) << v.x << ", " << v.y;
    }
    EXPECT_FLOAT_EQ(signedAngle(Vec2(2, 0), Vec2(0, 0.5f)), -kPi / 2);
}

TEST(Vec2, SegmentIntersectionIncludesEndPointsAndWritesOnlyOnAHit)
{
    // Segment c->d against (0, 0)->(2, 0), and where they meet.
    const Vec2 none(99, 99);
    const Vec2 cases[][3] = {
        {Vec2(2, -1), Vec2(2, 1), Vec2(2, 0)},         // at the end of a->b
        {Vec2(0.5f, 3), Vec2(0.5f, 0), Vec2(0.5f, 0)}, // at the end of c->d
        {Vec2(1, 0), Vec2(3, 0), none},                // collinear: never a hit
        {Vec2(3, -1), Vec2(3, 1), none},               // the lines cross beyond b,
        {Vec2(-1, -1), Vec2(-1, 1), none},             // before a,
        {Vec2(1, 0.5f), Vec2(1, 2), none},             // before c,
        {Vec2(1, -2), Vec2(1, -0.5f), none},           // or beyond d
    };
    for (const auto& [c, d, hit] : cases) {
        Vec2 out = none;
        EXPECT_EQ(segmentIntersection(Vec2(0, 0), Vec2(2, 0), c, d, &out), hit != none);
        EXPECT_EQ(out, hit);
    }
}

} // namespace
