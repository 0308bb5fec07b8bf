#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Collision.h"

// The tuned pair routines (four axes at a time, roots skipped where they cannot matter) must match, bit
// for bit, a literal one-axis-at-a-time reading of the rules, over random vertex lists of every size.
namespace {

namespace literal {

// One axis of a walk: the ranges of the reference and the moved body on it, and the axis.
using Axis = std::tuple<Interval, Interval, Vec2>;

// Vertex 0 seeds the range; only strictly larger or smaller values widen it.
Interval project(const std::vector<Vec2>& polygon, const Vec2& axis)
{
    Interval range{dot(polygon[0], axis), dot(polygon[0], axis)};
    for (const Vec2& v : polygon) range = {std::min(range.min, dot(v, axis)), std::max(range.max, dot(v, axis))};
    return range;
}

// Normal of the edge from vertex i to the next, or the opposite one.
Vec2 edgeAxis(const std::vector<Vec2>& polygon, std::size_t i, bool reversed = false)
{
    const Vec2 e = polygon[i] - polygon[(i + 1) % polygon.size()];
    return normalised(reversed ? Vec2(e.y, -e.x) : Vec2(-e.y, e.x));
}

// A disc against a polygon: every edge normal, then the axis from the nearest vertex to the centre.
std::vector<Axis> discAxes(const Vec2& centre, float radius, const std::vector<Vec2>& polygon)
{
    std::vector<Axis> axes;
    const auto add = [&](const Vec2& axis) {
        axes.push_back({project(polygon, axis), {dot(centre, axis) - radius, dot(centre, axis) + radius}, axis});
    };
    std::size_t nearest = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        add(edgeAxis(polygon, i));
        if (length(centre - polygon[i]) < length(centre - polygon[nearest])) nearest = i;
    }
    add(normalised(centre - polygon[nearest]));
    return axes;
}

// Polygon a against b: a's edge normals, then b's reversed.
std::vector<Axis> pairAxes(const std::vector<Vec2>& a, const std::vector<Vec2>& b)
{
    std::vector<Axis> axes;
    const auto add = [&](const Vec2& axis) { axes.push_back({project(a, axis), project(b, axis), axis}); };
    for (std::size_t i = 0; i < a.size(); ++i) add(edgeAxis(a, i));
    for (std::size_t i = 0; i < b.size(); ++i) add(edgeAxis(b, i, true));
    return axes;
}

// The push search as written: axes in order until one separates, the overlap cases in order, a
// strictly shorter push replacing the best; an axis that fits no case prints a line.
bool search(const std::vector<Axis>& axes, Vec2& best, std::string& printed)
{
    best = Vec2(100000.0f, 100000.0f);
    for (const auto& [a, b, axis] : axes) {
        if (a.max < b.min || b.max < a.min) return false;
        std::vector<float> depths;
        if (a.min <= b.min && a.max <= b.max && a.max >= b.min) {
            depths = {a.max - b.min};
        } else if (b.min <= a.min && a.min <= b.max && a.max >= b.max) {
            depths = {a.min - b.max};
        } else if ((a.min <= b.min && a.max >= b.max) || (b.min <= a.min && a.max <= b.max)) {
            depths = {a.min - b.max, a.max - b.min};
        } else {
            printed += " OTHER CASE WTF ?? \n";
        }
        for (const float d : depths)
            if (length(normalised(axis) * d) < length(best)) best = normalised(axis) * d;
    }
    return true;
}

} // namespace literal

// Equal bits, or both not a number (the payload of a NaN is not part of any answer).
bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

// The tuned search (given the mtv and the diagnostics to write) and the overlap test agree with the
// literal search: answer, push (negated on a hit when asked) and reported lines.
template <class F> void expectSame(F&& search, bool overlap, const std::vector<literal::Axis>& axes, bool negate)
{
    Vec2 expected, mtv(-1.0f, -1.0f);
    std::string expectedPrinted;
    const bool expectedHit = literal::search(axes, expected, expectedPrinted);
    if (expectedHit && negate) expected = expected * -1.0f;
    std::ostringstream diagnostics;
    const bool hit = search(&mtv, &diagnostics);
    ASSERT_EQ(diagnostics.str(), expectedPrinted);
    ASSERT_TRUE(hit == expectedHit && overlap == expectedHit);
    ASSERT_TRUE(same(mtv.x, expected.x) && same(mtv.y, expected.y)) << mtv.x << ", " << mtv.y;
}

TEST(CollisionReference, PairsMatchTheLiteralRulesBitForBit)
{
    std::mt19937 rng(20261206);
    bool whole = false; // now and then a trial on whole numbers, where distances and ranges tie
    const auto snap = [&](const Vec2& v) { return whole ? Vec2(std::round(v.x), std::round(v.y)) : v; };
    const auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    const auto chance = [&](unsigned inHundred) { return rng() % 100 < inHundred; };
    // A coordinate at one of several scales; now and then a whole number, a zero or a non-finite value.
    const auto coordinate = [&] {
        const unsigned pick = rng() % 100;
        if (pick < 2) return pick == 0 ? NAN : INFINITY;
        if (pick < 10) return pick < 5 ? 0.0f : std::round(uniform(-4, 4));
        const float scale = std::pow(10.0f, uniform(-3, 3));
        return uniform(-scale, scale);
    };
    // 1 to 12 vertices, so that every split into groups of four and a remainder occurs; now and
    // then a zero-length edge, or a vertex far from the others.
    const auto vertices = [&](const Vec2& around) {
        std::vector<Vec2> result;
        const float spread = std::pow(10.0f, uniform(-2, 2));
        for (std::size_t i = 0, count = 1 + rng() % 12; i < count; ++i)
            result.push_back(i > 0 && chance(10) ? result.back()
                             : chance(2)         ? Vec2(coordinate(), coordinate())
                                         : snap(around + Vec2(uniform(-spread, spread), uniform(-spread, spread))));
        return result;
    };
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(trial);
        whole = chance(20);
        // A disc against a polygon, whichever asks; then two polygons, often around the same point.
        const Vec2 centre =
            snap(chance(90) ? Vec2(uniform(-20, 20), uniform(-20, 20)) : Vec2(coordinate(), coordinate()));
        const float radius = chance(95) ? uniform(0, 15) : coordinate();
        const std::vector<Vec2> polygon = vertices(chance(50) ? centre : Vec2(0, 0));
        const auto disc = literal::discAxes(centre, radius, polygon);
        expectSame([&](Vec2* mtv, std::ostream* log) { return circlePolygonMtv(centre, radius, polygon, mtv, log); },
                   circlePolygonOverlap(centre, radius, polygon), disc, false);
        expectSame([&](Vec2* mtv, std::ostream* log) { return polygonCircleMtv(polygon, centre, radius, mtv, log); },
                   polygonCircleOverlap(polygon, centre, radius), disc, true);
        const Vec2 around(uniform(-5, 5), uniform(-5, 5));
        const std::vector<Vec2> a = vertices(around);
        const std::vector<Vec2> b = vertices(chance(70) ? around : Vec2(0, 0));
        expectSame([&](Vec2* mtv, std::ostream* log) { return polygonPolygonMtv(a, b, mtv, log); },
                   polygonsOverlap(a, b), literal::pairAxes(a, b), true);
        ASSERT_FALSE(HasFailure());
    }
}

} // namespace
