#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Collision.h"

// The pair routines are tuned (several axes at a time, roots skipped where they cannot matter);
// here they are held, bit for bit, to a literal one-axis-at-a-time reading of the rules, over
// random vertex lists of every size, degenerate ones and non-finite coordinates included.
namespace {

namespace literal {

Interval project(const std::vector<Vec2>& polygon, const Vec2& axis)
{
    Interval range{polygon[0].x * axis.x + polygon[0].y * axis.y, polygon[0].x * axis.x + polygon[0].y * axis.y};
    for (std::size_t i = 1; i < polygon.size(); ++i) {
        const float p = polygon[i].x * axis.x + polygon[i].y * axis.y;
        if (p > range.max) range.max = p;
        if (p < range.min) range.min = p;
    }
    return range;
}

Interval project(const Vec2& centre, float radius, const Vec2& axis)
{
    const float m = centre.x * axis.x + centre.y * axis.y;
    return {m - radius, m + radius};
}

Vec2 edge(const std::vector<Vec2>& polygon, std::size_t i) { return polygon[i] - polygon[(i + 1) % polygon.size()]; }
Vec2 edgeAxis(const std::vector<Vec2>& polygon, std::size_t i)
{
    const Vec2 e = edge(polygon, i);
    return normalised(Vec2(-e.y, e.x));
}
Vec2 reverseEdgeAxis(const std::vector<Vec2>& polygon, std::size_t i)
{
    const Vec2 e = edge(polygon, i);
    return normalised(Vec2(e.y, -e.x));
}

bool separated(const Interval& a, const Interval& b) { return a.max < b.min || b.max < a.min; }

// Interval resolution exactly as written: cases in order, strictly shorter replaces.
bool resolve(const Interval& a, const Interval& b, const Vec2& axis, Vec2& best, int& unresolved)
{
    if (separated(a, b)) return false;
    const Vec2 u = normalised(axis);
    std::vector<float> depths;
    if (a.min <= b.min && a.max <= b.max && a.max >= b.min) {
        depths = {a.max - b.min};
    } else if (b.min <= a.min && a.min <= b.max && a.max >= b.max) {
        depths = {a.min - b.max};
    } else if (a.min <= b.min && a.max >= b.max) {
        depths = {a.min - b.max, a.max - b.min};
    } else if (b.min <= a.min && a.max <= b.max) {
        depths = {a.min - b.max, a.max - b.min};
    } else {
        ++unresolved;
    }
    for (const float d : depths) {
        const Vec2 candidate = u * d;
        if (length(candidate) < length(best)) best = candidate;
    }
    return true;
}

// Circle against polygon; resolving == false gives the overlap test.
bool circlePolygon(const Vec2& centre, float radius, const std::vector<Vec2>& polygon, bool resolving, Vec2& mtv,
                   int& unresolved)
{
    mtv = Vec2(100000.0f, 100000.0f);
    const auto step = [&](const Interval& a, const Interval& b, const Vec2& axis) {
        return resolving ? resolve(a, b, axis, mtv, unresolved) : !separated(a, b);
    };
    std::size_t nearest = 0;
    float nearestDistance = 0.0f;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vec2 axis = edgeAxis(polygon, i);
        if (!step(project(polygon, axis), project(centre, radius, axis), axis)) return false;
        const float d = length(centre - polygon[i]);
        if (i == 0 || d < nearestDistance) {
            nearest = i;
            nearestDistance = d;
        }
    }
    const Vec2 axis = normalised(centre - polygon[nearest]);
    return step(project(polygon, axis), project(centre, radius, axis), axis);
}

bool polygonPolygon(const std::vector<Vec2>& a, const std::vector<Vec2>& b, bool resolving, Vec2& mtv, int& unresolved)
{
    mtv = Vec2(100000.0f, 100000.0f);
    const auto step = [&](const Vec2& axis) {
        const Interval ia = project(a, axis);
        const Interval ib = project(b, axis);
        return resolving ? resolve(ia, ib, axis, mtv, unresolved) : !separated(ia, ib);
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!step(edgeAxis(a, i))) return false;
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (!step(reverseEdgeAxis(b, i))) return false;
    }
    return true;
}

} // namespace literal

// Equal bits, or both not a number (the payload of a NaN is not part of any answer).
bool same(float a, float b)
{
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool same(const Vec2& a, const Vec2& b) { return same(a.x, b.x) && same(a.y, b.y); }

class Shapes {
public:
    explicit Shapes(unsigned seed) : rng(seed) {}

    // A coordinate at one of several scales; now and then an exact repeat, a zero or a non-finite value.
    float coordinate()
    {
        const unsigned pick = rng() % 100;
        if (pick == 0) return std::numeric_limits<float>::quiet_NaN();
        if (pick == 1) return std::numeric_limits<float>::infinity();
        if (pick < 5) return 0.0f;
        if (pick < 10) return std::round(uniform(-4.0f, 4.0f));
        const float scale = std::pow(10.0f, uniform(-3.0f, 3.0f));
        return uniform(-scale, scale);
    }

    Vec2 point() { return Vec2(coordinate(), coordinate()); }

    // 1 to 12 vertices, so that every split into groups of four and a remainder occurs.
    std::vector<Vec2> vertices(const Vec2& around)
    {
        const std::size_t count = 1 + rng() % 12;
        std::vector<Vec2> result;
        const float spread = std::pow(10.0f, uniform(-2.0f, 2.0f));
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && rng() % 10 == 0) {
                result.push_back(result.back()); // a zero-length edge
            } else if (rng() % 50 == 0) {
                result.push_back(point());
            } else {
                result.emplace_back(around.x + uniform(-spread, spread), around.y + uniform(-spread, spread));
            }
        }
        return result;
    }

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    bool chance(unsigned inHundred) { return rng() % 100 < inHundred; }

private:
    std::mt19937 rng;
};

// Runs f with standard output captured; returns how many unresolved-axis lines it printed.
template <typename F> int unresolvedLinesPrinted(F&& f)
{
    testing::internal::CaptureStdout();
    f();
    const std::string printed = testing::internal::GetCapturedStdout();
    int lines = 0;
    for (std::size_t at = printed.find(" OTHER CASE WTF ?? \n"); at != std::string::npos;
         at = printed.find(" OTHER CASE WTF ?? \n", at + 1))
        ++lines;
    return lines;
}

TEST(CollisionReference, CirclePolygonPairsMatchTheLiteralRulesBitForBit)
{
    Shapes shapes(20261206);
    for (int trial = 0; trial < 20000; ++trial) {
        const Vec2 centre = shapes.chance(90) ? Vec2(shapes.uniform(-20, 20), shapes.uniform(-20, 20)) : shapes.point();
        const float radius = shapes.chance(95) ? shapes.uniform(0.0f, 15.0f) : shapes.coordinate();
        const std::vector<Vec2> polygon = shapes.vertices(shapes.chance(50) ? centre : Vec2(0.0f, 0.0f));
        SCOPED_TRACE(trial);

        Vec2 expected;
        int expectedLines = 0;
        const bool expectedHit = literal::circlePolygon(centre, radius, polygon, true, expected, expectedLines);
        Vec2 mtv(-1.0f, -1.0f);
        bool hit = false;
        const int lines = unresolvedLinesPrinted([&] { hit = circlePolygonMtv(centre, radius, polygon, &mtv); });
        ASSERT_EQ(hit, expectedHit);
        ASSERT_TRUE(same(mtv, expected)) << mtv.x << ", " << mtv.y << " vs " << expected.x << ", " << expected.y;
        ASSERT_EQ(lines, expectedLines);

        // The polygon asking: the same answer, the push negated only on a hit.
        Vec2 reversed(-1.0f, -1.0f);
        unresolvedLinesPrinted([&] { ASSERT_EQ(polygonCircleMtv(polygon, centre, radius, &reversed), expectedHit); });
        ASSERT_TRUE(same(reversed, expectedHit ? expected * -1.0f : expected));

        Vec2 unused;
        int ignored = 0;
        const bool overlap = literal::circlePolygon(centre, radius, polygon, false, unused, ignored);
        ASSERT_EQ(circlePolygonOverlap(centre, radius, polygon), overlap);
        ASSERT_EQ(polygonCircleOverlap(polygon, centre, radius), overlap);
    }
}

TEST(CollisionReference, PolygonPairsMatchTheLiteralRulesBitForBit)
{
    Shapes shapes(7);
    for (int trial = 0; trial < 20000; ++trial) {
        const Vec2 around(shapes.uniform(-5, 5), shapes.uniform(-5, 5));
        const std::vector<Vec2> a = shapes.vertices(around);
        const std::vector<Vec2> b = shapes.vertices(shapes.chance(70) ? around : Vec2(0.0f, 0.0f));
        SCOPED_TRACE(trial);

        Vec2 expected;
        int expectedLines = 0;
        const bool expectedHit = literal::polygonPolygon(a, b, true, expected, expectedLines);
        if (expectedHit) expected = expected * -1.0f;
        Vec2 mtv(-1.0f, -1.0f);
        bool hit = false;
        const int lines = unresolvedLinesPrinted([&] { hit = polygonPolygonMtv(a, b, &mtv); });
        ASSERT_EQ(hit, expectedHit);
        ASSERT_TRUE(same(mtv, expected)) << mtv.x << ", " << mtv.y << " vs " << expected.x << ", " << expected.y;
        ASSERT_EQ(lines, expectedLines);

        Vec2 unused;
        int ignored = 0;
        ASSERT_EQ(polygonsOverlap(a, b), literal::polygonPolygon(a, b, false, unused, ignored));
    }
}

} // namespace
