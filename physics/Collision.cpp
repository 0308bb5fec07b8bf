#include "Collision.h"

#include <ostream>

#include "CollisionSse.h"

namespace {

// The overlap test's view of an axis: separated ranges end it.
struct OverlapSteps {
    bool axis(const Interval& reference, const Interval& moved, const Vec2& /*unit*/) const
    {
        return !intervalsSeparated(reference, moved);
    }
#if defined(__SSE2__)
    // With no record to keep, the order of the four does not matter.
    bool four(const FourRanges& reference, const FourRanges& moved, const FourAxes& /*axes*/) const
    {
        const __m128 apart = _mm_or_ps(_mm_cmplt_ps(reference.max, moved.min), _mm_cmplt_ps(moved.max, reference.min));
        return _mm_movemask_ps(apart) == 0;
    }
#endif
};

// The push search's view of an axis: interval resolution.
struct PushSteps {
    bool axis(const Interval& reference, const Interval& moved, const Vec2& unit)
    {
        return resolveInterval(reference, moved, unit, search);
    }
#if defined(__SSE2__)
    bool four(const FourRanges& reference, const FourRanges& moved, const FourAxes& axes)
    {
        return resolveFour(reference, moved, axes, search);
    }
#endif

    PushSearch search;
};

// Walks the axes of a disc against a polygon: every edge normal in order, then the axis from the
// nearest vertex to the centre, handing each to steps (see OverlapSteps, PushSteps); false as soon
// as one separates. The nearest vertex is only needed once every edge has failed to separate.
template <typename Steps> bool walkCirclePolygonAxes(const Vec2& centre, float radius, VertexSpan polygon, Steps& steps)
{
    NearestVertex nearest;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + kLanes <= polygon.count; i += kLanes) {
        const FourAxes axes = edgeAxesFour(polygon, i, false);
        if (!steps.four(projectPolygonFour(polygon, axes), projectCircleFour(centre, radius, axes), axes)) return false;
        for (std::size_t lane = 0; lane < kLanes; ++lane) nearest.offer(polygon, i + lane, centre);
    }
#endif
    for (; i < polygon.count; ++i) {
        const Vec2 axis = edgeAxis(polygon, i);
        if (!steps.axis(projectPolygon(polygon, axis), projectCircle(centre, radius, axis), unitAxis(axis)))
            return false;
        nearest.offer(polygon, i, centre);
    }
    const Vec2 axis = normalised(centre - polygon[nearest.index]);
    return steps.axis(projectPolygon(polygon, axis), projectCircle(centre, radius, axis), unitAxis(axis));
}

// Walks the edge axes of source (reversed or not) for the pair a, b, handing each to steps.
template <typename Steps> bool walkEdgeAxes(VertexSpan source, bool reversed, VertexSpan a, VertexSpan b, Steps& steps)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + kLanes <= source.count; i += kLanes) {
        const FourAxes axes = edgeAxesFour(source, i, reversed);
        if (!steps.four(projectPolygonFour(a, axes), projectPolygonFour(b, axes), axes)) return false;
    }
#endif
    for (; i < source.count; ++i) {
        const Vec2 axis = reversed ? reverseEdgeAxis(source, i) : edgeAxis(source, i);
        if (!steps.axis(projectPolygon(a, axis), projectPolygon(b, axis), unitAxis(axis))) return false;
    }
    return true;
}

// Walks the axes of polygon a against polygon b: a's edge normals, then b's reversed normals.
template <typename Steps> bool walkPolygonPolygonAxes(VertexSpan a, VertexSpan b, Steps& steps)
{
    return walkEdgeAxes(a, false, a, b, steps) && walkEdgeAxes(b, true, a, b, steps);
}

// The point of the box nearest to centre; centre itself when inside.
Vec2 closestBoxPoint(const Vec2& centre, const Vec2& lower, const Vec2& upper)
{
    Vec2 q = centre;
    if (centre.x < lower.x) {
        q.x = lower.x;
    } else if (centre.x > upper.x) {
        q.x = upper.x;
    }
    if (centre.y < lower.y) {
        q.y = lower.y;
    } else if (centre.y > upper.y) {
        q.y = upper.y;
    }
    return q;
}

// One line for each axis the search could not resolve, where someone listens.
void reportUnresolved(const PushSearch& search, std::ostream* diagnostics)
{
    if (diagnostics == nullptr) return;
    for (unsigned i = 0; i < search.unresolvedAxes; ++i) *diagnostics << " OTHER CASE WTF ?? " << std::endl;
}

} // namespace

bool circlesOverlap(const Vec2& centre, float radius, const Vec2& otherCentre, float otherRadius)
{
    return length(centre - otherCentre) < radius + otherRadius;
}

bool circleCircleMtv(const Vec2& centre, float radius, const Vec2& otherCentre, float otherRadius, Vec2* mtv)
{
    if (!circlesOverlap(centre, radius, otherCentre, otherRadius)) return false;
    // Concentric discs keep the zero direction and get a zero push.
    Vec2 direction = centre - otherCentre;
    normalise(direction);
    const float depth = (radius + otherRadius) - length(centre - otherCentre);
    *mtv = direction * depth;
    return true;
}

bool circleBoxOverlap(const Vec2& centre, float radius, const Vec2& lower, const Vec2& upper)
{
    return length(closestBoxPoint(centre, lower, upper) - centre) < radius;
}

bool circleBoxMtv(const Vec2& centre, float radius, const Vec2& lower, const Vec2& upper, Vec2* mtv)
{
    Vec2 d = closestBoxPoint(centre, lower, upper) - centre;
    const float dist = length(d);
    if (!(radius > dist)) {
        *mtv = Vec2(0.0f, 0.0f);
        return false;
    }
    // Away from the closest point by the depth; a centre inside the box gets a zero push.
    normalise(d);
    *mtv = d * (-(radius - dist));
    return true;
}

bool circlePolygonOverlap(const Vec2& centre, float radius, const std::vector<Vec2>& polygon)
{
    OverlapSteps steps;
    return walkCirclePolygonAxes(centre, radius, polygon, steps);
}

bool circlePolygonMtv(const Vec2& centre, float radius, const std::vector<Vec2>& polygon, Vec2* mtv,
                      std::ostream* diagnostics)
{
    PushSteps steps;
    const bool hit = walkCirclePolygonAxes(centre, radius, polygon, steps);
    reportUnresolved(steps.search, diagnostics);
    *mtv = steps.search.best;
    return hit;
}

bool polygonCircleOverlap(const std::vector<Vec2>& polygon, const Vec2& centre, float radius)
{
    return circlePolygonOverlap(centre, radius, polygon);
}

bool polygonCircleMtv(const std::vector<Vec2>& polygon, const Vec2& centre, float radius, Vec2* mtv,
                      std::ostream* diagnostics)
{
    if (!circlePolygonMtv(centre, radius, polygon, mtv, diagnostics)) return false;
    *mtv *= -1.0f;
    return true;
}

bool polygonsOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b)
{
    OverlapSteps steps;
    return walkPolygonPolygonAxes(a, b, steps);
}

bool polygonPolygonMtv(const std::vector<Vec2>& a, const std::vector<Vec2>& b, Vec2* mtv, std::ostream* diagnostics)
{
    PushSteps steps;
    const bool hit = walkPolygonPolygonAxes(a, b, steps);
    reportUnresolved(steps.search, diagnostics);
    // The search pushed b off a; a moves the opposite way.
    *mtv = steps.search.best;
    if (hit) *mtv *= -1.0f;
    return hit;
}
