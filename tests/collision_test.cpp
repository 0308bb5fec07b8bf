#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Box.h"
#include "Circle.h"
#include "Collision.h"
#include "Poly.h"

namespace {

const Vec2 kUntouched(-7.0f, -7.0f);
const std::string kUnresolvedLine = " OTHER CASE WTF ?? \n";

Circle makeCircle(float x, float y, float radius) { return Circle(Vec2(x, y), radius, 1, 0, 0); }

// A polygon holding its vertices exactly as given (the Poly constructor would recentre them).
struct ExactPoly : Poly {
    explicit ExactPoly(const std::vector<Vec2>& exact) : Poly(Vec2(), 1, 1.0f, 0, 3, {}) { vertices = exact; }
};

ExactPoly makePoly(const std::vector<Vec2>& vertices) { return ExactPoly(vertices); }

// The square S from (-1, -1) to (1, 1), counter-clockwise, shifted by (dx, dy).
ExactPoly makeSquare(float dx = 0.0f, float dy = 0.0f, float half = 1.0f)
{
    return makePoly({Vec2(-half + dx, -half + dy), Vec2(half + dx, -half + dy), Vec2(half + dx, half + dy),
                     Vec2(-half + dx, half + dy)});
}

// A body of any tag whose every virtual fails the test, so reading it through the vtable shows up;
// heap-allocated in the tests so a field read past it trips the address sanitizer.
class UntouchableBody : public GameObject {
public:
    explicit UntouchableBody(ShapeType tag) { shapeType = tag; }
    Vec2 getPosition() const override
    {
        ADD_FAILURE() << "getPosition read";
        return {};
    }
    void setTexture(std::uint32_t) override {}
    void translate(const Vec2&) override {}
    void rotate(float, const Vec2&) override {}
    bool collidesWith(const GameObject*) const override { return false; }
    bool collisionMtv(const GameObject*, Vec2*) const override { return false; }
    void draw() const override {}
};

void expectVec(const Vec2& actual, float x, float y)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
}

TEST(Collision, CirclesTouchingDoNotCollideAndPushAlongTheCentreLine)
{
    const Circle origin = makeCircle(0.0f, 0.0f, 15.0f);
    {
        // Exactly touching: strict comparison, mtv untouched.
        const Circle touching = makeCircle(30.0f, 0.0f, 15.0f);
        Vec2 mtv = kUntouched;
        EXPECT_FALSE(touching.collidesWith(&origin));
        EXPECT_FALSE(touching.collisionMtv(&origin, &mtv));
        EXPECT_EQ(mtv, kUntouched);
    }
    {
        const Circle close = makeCircle(29.9f, 0.0f, 15.0f);
        EXPECT_TRUE(close.collidesWith(&origin));
    }
    {
        // The push points from the other centre towards this one.
        const Circle overlapping = makeCircle(20.0f, 0.0f, 15.0f);
        Vec2 mtv;
        EXPECT_TRUE(overlapping.collisionMtv(&origin, &mtv));
        EXPECT_EQ(mtv, Vec2(10.0f, 0.0f));
    }
    {
        // Concentric: no direction, zero push.
        const Circle same = makeCircle(0.0f, 0.0f, 1.0f);
        Vec2 mtv = kUntouched;
        EXPECT_TRUE(same.collisionMtv(&origin, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    }
}

TEST(Collision, CircleAgainstBox)
{
    const Box box(Vec2(1.0f, -1.0f), Vec2(3.0f, 1.0f), 1, 3);
    {
        // Closest point (1, 0) exactly one radius away: no collision, mtv zeroed.
        const Circle touching = makeCircle(0.0f, 0.0f, 1.0f);
        Vec2 mtv = kUntouched;
        EXPECT_FALSE(touching.collidesWith(&box));
        EXPECT_FALSE(touching.collisionMtv(&box, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    }
    {
        const Circle overlapping = makeCircle(0.5f, 0.0f, 1.0f);
        Vec2 mtv;
        EXPECT_TRUE(overlapping.collidesWith(&box));
        EXPECT_TRUE(overlapping.collisionMtv(&box, &mtv));
        EXPECT_EQ(mtv, Vec2(-0.5f, 0.0f));
        // The box itself is pushed the other way.
        EXPECT_TRUE(box.collidesWith(&overlapping));
        EXPECT_TRUE(box.collisionMtv(&overlapping, &mtv));
        EXPECT_EQ(mtv, Vec2(0.5f, 0.0f));
    }
    {
        // A centre inside the box collides with a zero push.
        const Circle inside = makeCircle(2.0f, 0.0f, 0.5f);
        Vec2 mtv = kUntouched;
        EXPECT_TRUE(inside.collisionMtv(&box, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    }
}

TEST(Collision, CircleTouchingPolygonCollidesWithZeroPush)
{
    // Unlike two touching circles, touching intervals overlap.
    const ExactPoly square = makeSquare();
    const Circle resting = makeCircle(0.0f, 2.0f, 1.0f);
    Vec2 mtv = kUntouched;
    EXPECT_TRUE(resting.collidesWith(&square));
    EXPECT_TRUE(resting.collisionMtv(&square, &mtv));
    EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    EXPECT_TRUE(square.collidesWith(&resting));
}

TEST(Collision, NearestVertexKeepsTheLowerIndexOnATie)
{
    const ExactPoly square = makeSquare();
    {
        // (1, 1) and (-1, 1) are equally far from (0, 2); the first offered stays.
        NearestVertex nearest;
        for (std::size_t i = 0; i < square.vertices.size(); ++i) nearest.offer(square.vertices, i, Vec2(0.0f, 2.0f));
        EXPECT_EQ(nearest.index, 2u);
    }
    {
        // A strictly closer later vertex takes over from vertex 0.
        NearestVertex nearest;
        for (std::size_t i = 0; i < square.vertices.size(); ++i) nearest.offer(square.vertices, i, Vec2(2.0f, 2.0f));
        EXPECT_EQ(nearest.index, 2u);
        EXPECT_FLOAT_EQ(nearest.distance, std::sqrt(2.0f));
    }
}

TEST(Collision, CircleOffACornerIsSeparatedByTheNearestVertexAxis)
{
    // Both edge axes overlap; only the axis from (1, 1) towards the centre separates.
    const ExactPoly square = makeSquare();
    const Circle corner = makeCircle(1.8f, 1.8f, 1.0f);
    Vec2 mtv;
    EXPECT_FALSE(corner.collidesWith(&square));
    EXPECT_FALSE(corner.collisionMtv(&square, &mtv));
    EXPECT_FALSE(square.collidesWith(&corner));
    EXPECT_FALSE(square.collisionMtv(&corner, &mtv));
    // Slightly closer it collides.
    EXPECT_TRUE(makeCircle(1.6f, 1.6f, 1.0f).collidesWith(&square));
}

TEST(Collision, CirclePolygonPushesKeepTheFirstShortestCandidate)
{
    const ExactPoly square = makeSquare();
    {
        // Found on the first edge axis; the equal candidate of the top edge does not replace it.
        const Circle above = makeCircle(0.0f, 1.5f, 1.0f);
        Vec2 mtv;
        EXPECT_TRUE(above.collisionMtv(&square, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.5f));
        EXPECT_TRUE(square.collisionMtv(&above, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -0.5f));
    }
    {
        // Circle inside the polygon: the downward candidate of the first axis comes first.
        const Circle inside = makeCircle(0.0f, 0.0f, 0.5f);
        Vec2 mtv;
        EXPECT_TRUE(inside.collisionMtv(&square, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 1.5f));
        EXPECT_TRUE(square.collisionMtv(&inside, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -1.5f));
    }
    {
        // Polygon inside the circle: again the first candidate of the first axis.
        const Circle around = makeCircle(0.0f, 0.0f, 10.0f);
        Vec2 mtv;
        EXPECT_TRUE(around.collisionMtv(&square, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 11.0f));
        EXPECT_TRUE(square.collisionMtv(&around, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -11.0f));
    }
}

TEST(Collision, PolygonPairs)
{
    const ExactPoly square = makeSquare();
    {
        // Overlapping by half a unit sideways.
        const ExactPoly shifted = makeSquare(1.5f);
        Vec2 mtv;
        EXPECT_TRUE(square.collidesWith(&shifted));
        EXPECT_TRUE(square.collisionMtv(&shifted, &mtv));
        EXPECT_EQ(mtv, Vec2(-0.5f, 0.0f));
    }
    {
        // Sharing an edge: touching collides with a zero push.
        const ExactPoly neighbour = makeSquare(2.0f);
        Vec2 mtv = kUntouched;
        EXPECT_TRUE(square.collidesWith(&neighbour));
        EXPECT_TRUE(square.collisionMtv(&neighbour, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    }
    {
        // Separated on the second axis: mtv keeps the first axis's candidate, not negated.
        const ExactPoly apart = makeSquare(2.5f);
        Vec2 mtv;
        EXPECT_FALSE(square.collidesWith(&apart));
        EXPECT_FALSE(square.collisionMtv(&apart, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -2.0f));
    }
    {
        // Separated on the very first axis: the starting value is left.
        const ExactPoly below = makeSquare(0.0f, -3.0f);
        Vec2 mtv;
        EXPECT_FALSE(square.collisionMtv(&below, &mtv));
        EXPECT_EQ(mtv, Vec2(kUnsetMtv, kUnsetMtv));
    }
    {
        // Against itself identical intervals take the upper-end case: push up by the full height.
        Vec2 mtv;
        EXPECT_TRUE(square.collisionMtv(&square, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 2.0f));
    }
    {
        // Containment both ways ends with the pushed body just touching the other.
        const ExactPoly small = makeSquare(0.0f, 0.0f, 0.25f);
        Vec2 mtv;
        EXPECT_TRUE(square.collisionMtv(&small, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -1.25f));
        EXPECT_TRUE(small.collisionMtv(&square, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, -1.25f));
    }
}

TEST(Collision, IntervalResolutionCases)
{
    const Vec2 axis(1.0f, 0.0f);
    auto resolve = [&axis](Interval reference, Interval moved, Vec2* best) {
        PushSearch search;
        const bool overlap = resolveInterval(reference, moved, axis, search);
        *best = search.best;
        return overlap;
    };
    Vec2 best;
    // Separated either side.
    EXPECT_FALSE(resolve({0.0f, 1.0f}, {1.5f, 2.0f}, &best));
    EXPECT_FALSE(resolve({0.0f, 1.0f}, {-2.0f, -0.5f}, &best));
    // 1: over the upper end.
    EXPECT_TRUE(resolve({0.0f, 2.0f}, {1.5f, 3.0f}, &best));
    expectVec(best, 0.5f, 0.0f);
    // 2: over the lower end.
    EXPECT_TRUE(resolve({0.0f, 2.0f}, {-1.0f, 0.25f}, &best));
    expectVec(best, -0.25f, 0.0f);
    // 3: moved inside the reference; the upward push is shorter and replaces the first.
    EXPECT_TRUE(resolve({0.0f, 4.0f}, {3.0f, 3.5f}, &best));
    expectVec(best, 1.0f, 0.0f);
    // 3, centred: both pushes equally long, the downward one came first and stays.
    EXPECT_TRUE(resolve({0.0f, 4.0f}, {1.0f, 3.0f}, &best));
    expectVec(best, -3.0f, 0.0f);
    // 4: reference inside the moved body; the downward push is shorter and stays.
    EXPECT_TRUE(resolve({1.0f, 2.0f}, {-3.0f, 2.5f}, &best));
    expectVec(best, -1.5f, 0.0f);
    // Touching ends: a zero push.
    EXPECT_TRUE(resolve({0.0f, 1.0f}, {1.0f, 2.0f}, &best));
    expectVec(best, 0.0f, 0.0f);
}

TEST(Collision, NaNCircleReportsEveryAxisAndKeepsTheStartingPush)
{
    const ExactPoly square = makeSquare();
    const Circle broken = makeCircle(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f);
    {
        // Four edge axes and the nearest-vertex axis, one line each.
        Vec2 mtv;
        testing::internal::CaptureStdout();
        const bool hit = broken.collisionMtv(&square, &mtv);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(hit);
        EXPECT_EQ(out, kUnresolvedLine + kUnresolvedLine + kUnresolvedLine + kUnresolvedLine + kUnresolvedLine);
        EXPECT_EQ(mtv, Vec2(kUnsetMtv, kUnsetMtv));
    }
    {
        // Polygon first: the same lines, the starting push negated.
        Vec2 mtv;
        testing::internal::CaptureStdout();
        const bool hit = square.collisionMtv(&broken, &mtv);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(hit);
        EXPECT_EQ(out.size(), 5 * kUnresolvedLine.size());
        EXPECT_EQ(mtv, Vec2(-kUnsetMtv, -kUnsetMtv));
    }
    {
        // The plain overlap test agrees and prints nothing.
        testing::internal::CaptureStdout();
        EXPECT_TRUE(broken.collidesWith(&square));
        EXPECT_TRUE(square.collidesWith(&broken));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}

TEST(Collision, DispatchOnOtherTags)
{
    const Circle circle = makeCircle(0.0f, 0.0f, 1.0f);
    const ExactPoly square = makeSquare();
    const auto unknown = std::make_unique<UntouchableBody>(static_cast<ShapeType>(3));
    const auto boxTagged = std::make_unique<UntouchableBody>(ShapeType::Box);
    {
        // A circle against an unknown tag: false, mtv untouched.
        Vec2 mtv = kUntouched;
        EXPECT_FALSE(circle.collidesWith(unknown.get()));
        EXPECT_FALSE(circle.collisionMtv(unknown.get(), &mtv));
        EXPECT_EQ(mtv, kUntouched);
    }
    {
        // A polygon against a box or an unknown tag reads nothing of it.
        Vec2 mtv = kUntouched;
        EXPECT_FALSE(square.collidesWith(boxTagged.get()));
        EXPECT_FALSE(square.collisionMtv(boxTagged.get(), &mtv));
        EXPECT_FALSE(square.collidesWith(unknown.get()));
        EXPECT_FALSE(square.collisionMtv(unknown.get(), &mtv));
        EXPECT_EQ(mtv, kUntouched);
    }
    {
        // A real box against a polygon, both ways.
        const Box box(Vec2(-1.0f, -1.0f), Vec2(1.0f, 1.0f), 1, 3);
        EXPECT_FALSE(square.collidesWith(&box));
        EXPECT_FALSE(box.collidesWith(&square));
    }
}

TEST(Collision, EmptyPolygonNeverCollides)
{
    // The heap copy lets the address sanitizer catch a read of vertex 0.
    const auto empty = std::make_unique<Poly>(Vec2(), 1, 1.0f, 0, 3, std::vector<Vec2>{});
    const ExactPoly square = makeSquare();
    const Circle circle = makeCircle(0.0f, 0.0f, 5.0f);
    Vec2 mtv = kUntouched;
    EXPECT_FALSE(circle.collidesWith(empty.get()));
    EXPECT_FALSE(circle.collisionMtv(empty.get(), &mtv));
    EXPECT_FALSE(empty->collidesWith(&circle));
    EXPECT_FALSE(empty->collisionMtv(&circle, &mtv));
    EXPECT_FALSE(square.collidesWith(empty.get()));
    EXPECT_FALSE(square.collisionMtv(empty.get(), &mtv));
    EXPECT_FALSE(empty->collidesWith(&square));
    EXPECT_FALSE(empty->collisionMtv(&square, &mtv));
    EXPECT_FALSE(empty->collidesWith(empty.get()));
    EXPECT_EQ(mtv, kUntouched);
}

TEST(Collision, SingleVertexPolygonActsAsAPoint)
{
    // Its only edge has zero length: the zero axis never separates and offers a zero push first.
    const ExactPoly point = makePoly({Vec2(0.5f, 0.0f)});
    {
        const Circle around = makeCircle(0.0f, 0.0f, 1.0f);
        Vec2 mtv = kUntouched;
        EXPECT_TRUE(around.collisionMtv(&point, &mtv));
        EXPECT_EQ(mtv, Vec2(0.0f, 0.0f));
    }
    {
        // Beyond the radius the vertex axis separates.
        const Circle away = makeCircle(2.0f, 0.0f, 1.0f);
        EXPECT_FALSE(away.collidesWith(&point));
        EXPECT_FALSE(point.collidesWith(&away));
    }
}

TEST(Box, MovesWithoutTurningItsExtents)
{
    Box box(Vec2(0.0f, 0.0f), Vec2(2.0f, 1.0f), 1, 3);
    box.translate(Vec2(1.0f, 1.0f));
    expectVec(box.lower, 1.0f, 1.0f);
    expectVec(box.upper, 3.0f, 2.0f);
    // A half turn about the origin carries the centre (2, 1.5) to (-2, -1.5).
    box.rotate(3.14159265f, Vec2());
    expectVec(box.getPosition(), -2.0f, -1.5f);
    EXPECT_NEAR(box.upper.x - box.lower.x, 2.0f, 1e-5f);
    EXPECT_NEAR(box.upper.y - box.lower.y, 1.0f, 1e-5f);
}

} // namespace
