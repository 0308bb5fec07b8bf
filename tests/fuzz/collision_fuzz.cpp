// Feeds arbitrary floats (NaN and infinities included) to every collision pair, both ways, and
// checks the answers that must agree whatever the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

#include "Bounds.h"
#include "Box.h"
#include "Circle.h"
#include "DiscReach.h"
#include "Poly.h"
#include "PolygonBoxes.h"

namespace {

// The next four bytes as a float, any bit pattern (NaN and infinities included); zero bytes past the end.
float nextFloat(FuzzedDataProvider& in)
{
    float value = 0.0f;
    in.ConsumeData(&value, sizeof value);
    return value;
}

Vec2 nextVec(FuzzedDataProvider& in) { return {nextFloat(in), nextFloat(in)}; }

// A polygon holding its vertices exactly as read; up to 16, and sometimes none.
struct FuzzPoly : Poly {
    explicit FuzzPoly(FuzzedDataProvider& in) : Poly(Vec2(), 1, 1.0f, 0, 3, {})
    {
        const auto count = in.ConsumeIntegralInRange<std::size_t>(0, 16);
        for (std::size_t i = 0; i < count; ++i) vertices.push_back(nextVec(in));
        if (!vertices.empty()) bounds = boundsOfPoints(vertices);
    }
};

// Whether the vertices turn one way all round, exactly once, as every wall of the game does; the
// pair tests separate only convex polygons exactly. Worked out in double precision.
bool isConvex(const std::vector<Vec2>& v)
{
    double turning = 0.0;
    int turn = 0;
    for (std::size_t i = 0, n = v.size(); i < n; ++i) {
        const Vec2 &a = v[i], &b = v[(i + 1) % n], &c = v[(i + 2) % n];
        const double ex = double(b.x) - a.x, ey = double(b.y) - a.y, fx = double(c.x) - b.x, fy = double(c.y) - b.y;
        const double cross = ex * fy - ey * fx, dot = ex * fx + ey * fy;
        if (n > 2 && cross == 0.0 && dot < 0.0) return false;        // doubling back hides an edge of the hull
        const int side = cross > 0.0 ? 1 : cross != 0.0 ? -1 : turn; // NaN counts as a right turn
        if (side != turn && turn != 0) return false;
        turn = side;
        turning += std::atan2(cross, dot);
    }
    return v.size() < 3 || std::fabs(std::fabs(turning) - 2.0 * M_PI) < 1e-6;
}

// Whether a crossing test of segments along r and s rests on a determinant too small for floats:
// the directions within about half a degree of each other, or their cross product near the smallest
// floats, where it keeps few bits. Worked out in double precision.
bool crossingIsNoise(const Vec2& r, const Vec2& s)
{
    const double cross = std::fabs(double(r.x) * s.y - double(r.y) * s.x);
    return cross < 1e-30 || cross <= 1e-2 * std::hypot(double(r.x), double(r.y)) * std::hypot(double(s.x), double(s.y));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto require = [](bool condition) {
        if (!condition) std::abort();
    };
    FuzzedDataProvider in(data, size);
    // Braces read the arguments in order.
    Circle first{nextVec(in), nextFloat(in), 1, 0, 0};
    Circle second{nextVec(in), nextFloat(in), 1, 0, 0};
    Box box{nextVec(in), nextVec(in), 1, 3};
    FuzzPoly polyA(in);
    FuzzPoly polyB(in);
    const GameObject* bodies[] = {&first, &second, &box, &polyA, &polyB};
    const Vec2 rayStart = nextVec(in), rayEnd = nextVec(in);
    const Aabb rayBounds = boundsOfPoints({rayStart, rayEnd});

    // The plain test and the push routine always give the same answer.
    Vec2 out; // written by the calls, never read
    for (const GameObject* a : bodies)
        for (const GameObject* b : bodies) require(a->collidesWith(b) == a->collisionMtv(b, &out));
    for (const Poly* poly : {&polyA, &polyB}) {
        const std::vector<Vec2>& v = poly->vertices;
        // A circle and a polygon agree whichever asks; boxes clearly apart mean the pair test says no.
        for (const Circle* circle : {&first, &second}) {
            require(circle->collidesWith(poly) == poly->collidesWith(circle));
            if (isConvex(v) && circleAndPolygonClearlyApart(*circle, *poly)) require(!circle->collidesWith(poly));
        }
        // A ray whose box is clearly apart from the polygon's meets none of its edges; the crossing test
        // may still say yes only where its arithmetic is rounding noise.
        for (std::size_t i = 0; !v.empty() && clearlyApart(rayBounds, poly->bounds) && i < v.size(); ++i)
            require(!segmentIntersection(rayStart, rayEnd, v[i], v[(i + 1) % v.size()], &out) ||
                    crossingIsNoise(rayEnd - rayStart, v[(i + 1) % v.size()] - v[i]));
    }

    // The sweep over many boxes at once skips exactly what each disc's own reach skips, from any start.
    const std::vector<GameObject*> walls = {&polyA, &box, &polyB, &polyA, &first, &polyB, &polyA};
    PolygonBoxes boxes;
    boxes.refresh(walls, 0); // a fresh copy takes the boxes whatever the count
    for (const Circle* circle : {&first, &second}) {
        const DiscReach reach(*circle);
        for (std::size_t from = 0, expected = 0; from <= walls.size(); ++from) {
            for (expected = from; expected < walls.size() && reach.clearlyApartFrom(*walls[expected]);) ++expected;
            require(boxes.nextNotApart(reach, from) == expected);
        }
    }
    return 0;
}
