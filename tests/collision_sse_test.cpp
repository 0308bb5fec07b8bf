#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "Collision.h"
#include "CollisionSse.h"

// The four-lane path of the collisions against the one-axis helpers it stands in for: every lane's
// axis, range and decision must be the scalar answer bit for bit, NaN and ties included.
namespace {

#if defined(__SSE2__)

// Equal bits, or both not a number.
bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

struct Lanes {
    float value[kLanes];
};
Lanes lanesOf(__m128 packed)
{
    Lanes lanes;
    _mm_storeu_ps(lanes.value, packed);
    return lanes;
}

// Random polygons of 4 to 12 vertices: now and then whole numbers (ties), a repeated vertex (a
// zero-length edge), a far or a non-finite coordinate.
class Polygons {
public:
    std::vector<Vec2> next()
    {
        const bool whole = pick(20);
        std::vector<Vec2> polygon;
        for (std::size_t i = 0, count = 4 + random() % 9; i < count; ++i) {
            if (i > 0 && pick(10)) {
                polygon.push_back(polygon.back());
                continue;
            }
            Vec2 v(uniform(-20, 20), uniform(-20, 20));
            if (pick(3)) v.x = pick(50) ? NAN : INFINITY;
            if (pick(3)) v.y *= 1e6f;
            polygon.push_back(whole ? Vec2(std::round(v.x), std::round(v.y)) : v);
        }
        return polygon;
    }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); }
    bool pick(unsigned inHundred) { return random() % 100 < inHundred; }
    std::mt19937 random{20261207};
};

void expectSameRange(const FourRanges& four, std::size_t lane, const Interval& one)
{
    EXPECT_TRUE(same(lanesOf(four.min).value[lane], one.min) && same(lanesOf(four.max).value[lane], one.max))
        << "lane " << lane;
}

TEST(CollisionSse, EveryLaneIsTheScalarAnswer)
{
    Polygons polygons;
    for (int trial = 0; trial < 5000; ++trial) {
        SCOPED_TRACE(trial);
        const std::vector<Vec2> a = polygons.next();
        const std::vector<Vec2> b = polygons.next();
        const bool reversed = polygons.pick(50);
        const std::size_t first = polygons.random() % (a.size() - kLanes + 1);
        const Vec2 centre(polygons.uniform(-20, 20), polygons.uniform(-20, 20));
        const float radius = polygons.uniform(0, 15);

        // Axes and units: the edge normals, as normalised() and unitAxis() give them.
        const FourAxes axes = edgeAxesFour(a, first, reversed);
        Vec2 axis[kLanes];
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            axis[lane] = reversed ? reverseEdgeAxis(a, first + lane) : edgeAxis(a, first + lane);
            const Vec2 unit = unitAxis(axis[lane]);
            EXPECT_TRUE(same(lanesOf(axes.x).value[lane], axis[lane].x) &&
                        same(lanesOf(axes.y).value[lane], axis[lane].y))
                << "axis, lane " << lane;
            EXPECT_TRUE(same(lanesOf(axes.unitX).value[lane], unit.x) && same(lanesOf(axes.unitY).value[lane], unit.y))
                << "unit, lane " << lane;
        }

        // Ranges of a polygon and of a disc on each axis.
        const FourRanges polygonRanges = projectPolygonFour(b, axes);
        const FourRanges discRanges = projectCircleFour(centre, radius, axes);
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            expectSameRange(polygonRanges, lane, projectPolygon(b, axis[lane]));
            expectSameRange(discRanges, lane, projectCircle(centre, radius, axis[lane]));
        }

        // Decisions, on the ranges above and on ranges of small whole numbers, which often touch or
        // coincide: the same answer, the same best push and the same count of axes fitting no case as
        // resolving the four axes one by one, stopping at the first that separates.
        const auto bound = [&] { return polygons.pick(5) ? NAN : static_cast<float>(polygons.random() % 5) - 2.0f; };
        const auto smallRanges = [&] {
            const float lo[kLanes] = {bound(), bound(), bound(), bound()};
            const float hi[kLanes] = {lo[0] + bound() + 2, lo[1] + bound() + 2, lo[2] + bound() + 2,
                                      lo[3] + bound() + 2};
            return FourRanges{_mm_loadu_ps(lo), _mm_loadu_ps(hi)};
        };
        const bool small = polygons.pick(50);
        const FourRanges reference = small ? smallRanges() : polygonRanges;
        const FourRanges moved = small ? smallRanges() : polygons.pick(50) ? discRanges : projectPolygonFour(a, axes);
        PushSearch four;
        const bool fourOverlap = resolveFour(reference, moved, axes, four);
        PushSearch one;
        bool oneOverlap = true;
        for (std::size_t lane = 0; lane < kLanes && oneOverlap; ++lane) {
            const Interval fixed{lanesOf(reference.min).value[lane], lanesOf(reference.max).value[lane]};
            const Interval range{lanesOf(moved.min).value[lane], lanesOf(moved.max).value[lane]};
            oneOverlap = resolveInterval(fixed, range, unitAxis(axis[lane]), one);
        }
        EXPECT_EQ(fourOverlap, oneOverlap);
        EXPECT_TRUE(same(four.best.x, one.best.x) && same(four.best.y, one.best.y));
        EXPECT_TRUE(same(four.bestLength, one.bestLength) && same(four.bestSquared, one.bestSquared));
        EXPECT_EQ(four.unresolvedAxes, one.unresolvedAxes);
        ASSERT_FALSE(HasFailure());
    }
}

#else

TEST(CollisionSse, EveryLaneIsTheScalarAnswer) { GTEST_SKIP() << "no SSE2 on this processor"; }

#endif

} // namespace
