#include <cmath>
#include <gtest/gtest.h>

#include "Vec2.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void expectNear(const Vec2& actual, const Vec2& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

TEST(Vec2, DivisionNeverProducesInfinity)
{
    // Divides through the reciprocal.
    EXPECT_EQ(Vec2(3.0f, 6.0f) / 3.0f, Vec2(3.0f * (1.0f / 3.0f), 6.0f * (1.0f / 3.0f)));
    // A zero divisor yields the zero vector.
    EXPECT_EQ(Vec2(3.0f, -6.0f) / 0.0f, Vec2(0.0f, 0.0f));
}

TEST(Vec2, UnitVectorRulesForZeroAndTinyVectors)
{
    // normalise: only a zero vector is left alone.
    Vec2 zero;
    normalise(zero);
    EXPECT_EQ(zero, Vec2(0.0f, 0.0f));
    Vec2 v(3.0f, 4.0f);
    normalise(v);
    expectNear(v, Vec2(0.6f, 0.8f), 1e-7f);
    Vec2 tiny(0.000005f, 0.0f);
    normalise(tiny);
    EXPECT_EQ(tiny, Vec2(1.0f, 0.0f));

    // normalised: anything no longer than 1e-5 comes back unchanged.
    EXPECT_EQ(normalised(Vec2(0.000005f, 0.0f)), Vec2(0.000005f, 0.0f));
    EXPECT_EQ(normalised(Vec2(0.0f, 0.0f)), Vec2(0.0f, 0.0f));
    EXPECT_EQ(normalised(Vec2(0.0f, 2.0f)), Vec2(0.0f, 1.0f));
    // Just past the threshold it is scaled to unit length.
    expectNear(normalised(Vec2(0.00002f, 0.0f)), Vec2(1.0f, 0.0f));

    // Overwriting its own input reads it completely first.
    Vec2 w(0.0f, -5.0f);
    w = normalised(w);
    EXPECT_EQ(w, Vec2(0.0f, -1.0f));
}

TEST(Vec2, RotationIsCounterClockwiseAboutThePivot)
{
    expectNear(rotatedAbout(Vec2(2.0f, 1.0f), Vec2(1.0f, 1.0f), kPi / 2), Vec2(1.0f, 2.0f));
    // The pivot itself never moves.
    EXPECT_EQ(rotatedAbout(Vec2(7.0f, -3.0f), Vec2(7.0f, -3.0f), 1.234f), Vec2(7.0f, -3.0f));
    // Any turn keeps the distance to the pivot.
    const Vec2 turned = rotatedAbout(Vec2(5.0f, 2.0f), Vec2(-1.0f, 0.5f), 2.0f);
    EXPECT_NEAR(length(turned - Vec2(-1.0f, 0.5f)), length(Vec2(6.0f, 1.5f)), 1e-5f);
}

TEST(Vec2, SignedAngleIsPositiveClockwise)
{
    EXPECT_FLOAT_EQ(signedAngle(Vec2(1.0f, 0.0f), Vec2(0.0f, 1.0f)), -kPi / 2);
    EXPECT_FLOAT_EQ(signedAngle(Vec2(0.0f, 1.0f), Vec2(1.0f, 0.0f)), kPi / 2);
    EXPECT_EQ(signedAngle(Vec2(1.0f, 0.0f), Vec2(1.0f, 0.0f)), 0.0f);
    // Lengths do not matter, only directions.
    EXPECT_FLOAT_EQ(signedAngle(Vec2(3.0f, 0.0f), Vec2(0.0f, 0.5f)), -kPi / 2);
}

TEST(Vec2, SegmentIntersection)
{
    const Vec2 a(0.0f, 0.0f);
    const Vec2 b(2.0f, 0.0f);
    Vec2 out(99.0f, 99.0f);

    // Crossing in the middle.
    EXPECT_TRUE(segmentIntersection(a, b, Vec2(1.0f, -1.0f), Vec2(1.0f, 1.0f), &out));
    EXPECT_EQ(out, Vec2(1.0f, 0.0f));

    // An end point counts as a hit, on either segment.
    EXPECT_TRUE(segmentIntersection(a, b, Vec2(2.0f, -1.0f), Vec2(2.0f, 1.0f), &out));
    EXPECT_EQ(out, Vec2(2.0f, 0.0f));
    EXPECT_TRUE(segmentIntersection(a, b, Vec2(0.5f, 0.0f), Vec2(0.5f, 3.0f), &out));
    EXPECT_EQ(out, Vec2(0.5f, 0.0f));

    // Parallel, collinear and degenerate segments never intersect, and out stays untouched.
    out = Vec2(99.0f, 99.0f);
    EXPECT_FALSE(segmentIntersection(a, b, Vec2(0.0f, 1.0f), Vec2(2.0f, 1.0f), &out));
    EXPECT_FALSE(segmentIntersection(a, b, Vec2(1.0f, 0.0f), Vec2(3.0f, 0.0f), &out));
    EXPECT_FALSE(segmentIntersection(a, b, Vec2(1.0f, 0.0f), Vec2(1.0f, 0.0f), &out));
    EXPECT_EQ(out, Vec2(99.0f, 99.0f));

    // Lines that cross beyond either segment's end miss.
    EXPECT_FALSE(segmentIntersection(a, b, Vec2(3.0f, -1.0f), Vec2(3.0f, 1.0f), &out));
    EXPECT_FALSE(segmentIntersection(a, b, Vec2(1.0f, 0.5f), Vec2(1.0f, 2.0f), &out));
    EXPECT_EQ(out, Vec2(99.0f, 99.0f));
}

} // namespace
