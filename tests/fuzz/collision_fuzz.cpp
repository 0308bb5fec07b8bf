// Feeds arbitrary floats (NaN and infinities included) to every collision pair, both ways, and
// checks the answers that must agree whatever the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Bounds.h"
#include "Box.h"
#include "Circle.h"
#include "Poly.h"

namespace {

// Hands out the input as raw floats and small counts; zeros once it runs dry.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    float nextFloat()
    {
        float value = 0.0f;
        if (size - offset >= sizeof value) {
            std::memcpy(&value, data + offset, sizeof value);
            offset += sizeof value;
        }
        return value;
    }

    Vec2 nextVec() { return {nextFloat(), nextFloat()}; }

    std::size_t nextCount(std::size_t limit) { return offset < size ? data[offset++] % (limit + 1) : 0; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset = 0;
};

// A polygon holding its vertices exactly as read; up to 16, and sometimes none.
struct FuzzPoly : Poly {
    explicit FuzzPoly(InputReader& in) : Poly(Vec2(), 1, 1.0f, 0, 3, {})
    {
        const std::size_t count = in.nextCount(16);
        for (std::size_t i = 0; i < count; ++i) vertices.push_back(in.nextVec());
        if (!vertices.empty()) bounds = boundsOfPoints(vertices);
    }
};

// Whether the vertices turn one way all round, exactly once, as every wall of the game does; the
// pair tests separate only convex polygons exactly. Worked out in double precision.
bool isConvex(const std::vector<Vec2>& vertices)
{
    const std::size_t count = vertices.size();
    double turning = 0.0;
    int turn = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2& a = vertices[i];
        const Vec2& b = vertices[(i + 1) % count];
        const Vec2& c = vertices[(i + 2) % count];
        const double ex = double(b.x) - a.x, ey = double(b.y) - a.y, fx = double(c.x) - b.x, fy = double(c.y) - b.y;
        const double cross = ex * fy - ey * fx;
        if (cross != 0.0) {
            const int side = cross > 0.0 ? 1 : -1;
            if (turn != 0 && side != turn) return false;
            turn = side;
        }
        turning += std::atan2(cross, ex * fx + ey * fy);
    }
    return count < 3 || std::fabs(std::fabs(turning) - 2.0 * M_PI) < 1e-6;
}

void require(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputReader in(data, size);
    const Vec2 firstCentre = in.nextVec();
    const Circle first(firstCentre, in.nextFloat(), 1, 0, 0);
    const Vec2 secondCentre = in.nextVec();
    const Circle second(secondCentre, in.nextFloat(), 1, 0, 0);
    const Vec2 lower = in.nextVec();
    const Box box(lower, in.nextVec(), 1, 3);
    const FuzzPoly polyA(in);
    const FuzzPoly polyB(in);

    const GameObject* bodies[] = {&first, &second, &box, &polyA, &polyB};
    for (const GameObject* a : bodies) {
        for (const GameObject* b : bodies) {
            Vec2 mtv;
            // The plain test and the push routine always give the same answer.
            require(a->collidesWith(b) == a->collisionMtv(b, &mtv));
        }
    }
    // A circle and a polygon agree whichever asks; boxes clearly apart mean the pair test says no.
    const Vec2 rayStart = in.nextVec();
    const Vec2 rayEnd = in.nextVec();
    const Aabb rayBounds = boundsOfPoints({rayStart, rayEnd});
    for (const Circle* circle : {&first, &second}) {
        for (const Poly* poly : {static_cast<const Poly*>(&polyA), static_cast<const Poly*>(&polyB)}) {
            require(circle->collidesWith(poly) == poly->collidesWith(circle));
            if (isConvex(poly->vertices) && circleAndPolygonClearlyApart(*circle, *poly))
                require(!circle->collidesWith(poly));
        }
    }
    // A ray whose box is clearly apart from a polygon's meets none of its edges.
    for (const Poly* poly : {static_cast<const Poly*>(&polyA), static_cast<const Poly*>(&polyB)}) {
        const std::size_t count = poly->vertices.size();
        if (count == 0 || !clearlyApart(rayBounds, poly->bounds)) continue;
        for (std::size_t i = 0; i < count; ++i) {
            Vec2 hit;
            require(!segmentIntersection(rayStart, rayEnd, poly->vertices[i], poly->vertices[(i + 1) % count], &hit));
        }
    }
    return 0;
}
