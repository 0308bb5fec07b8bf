#include "Collision.h"

#include <iostream>

namespace {

// Walks the axes of a disc against a polygon: every edge normal in order, then the axis from the
// nearest vertex to the centre. step(polygonRange, discRange, axis) returns false to stop with
// a miss. The nearest vertex is only needed once every edge has failed to separate.
template <typename AxisStep>
bool walkCirclePolygonAxes(const Vec2& centre, float radius, const std::vector<Vec2>& polygon, AxisStep&& step)
{
    NearestVertex nearest;
    const std::size_t count = polygon.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2 axis = edgeAxis(polygon, i);
        if (!step(projectPolygon(polygon, axis), projectCircle(centre, radius, axis), axis)) return false;
        nearest.offer(polygon, i, centre);
    }
    const Vec2 axis = normalised(centre - polygon[nearest.index]);
    return step(projectPolygon(polygon, axis), projectCircle(centre, radius, axis), axis);
}

// Walks the axes of polygon a against polygon b: a's edge normals, then b's reversed normals.
// step(aRange, bRange, axis) returns false to stop with a miss.
template <typename AxisStep>
bool walkPolygonPolygonAxes(const std::vector<Vec2>& a, const std::vector<Vec2>& b, AxisStep&& step)
{
    const std::size_t countA = a.size();
    for (std::size_t i = 0; i < countA; ++i) {
        const Vec2 axis = edgeAxis(a, i);
        if (!step(projectPolygon(a, axis), projectPolygon(b, axis), axis)) return false;
    }
    const std::size_t countB = b.size();
    for (std::size_t i = 0; i < countB; ++i) {
        const Vec2 axis = reverseEdgeAxis(b, i);
        if (!step(projectPolygon(a, axis), projectPolygon(b, axis), axis)) return false;
    }
    return true;
}

bool overlapStep(const Interval& reference, const Interval& moved, const Vec2& /*axis*/)
{
    return !intervalsSeparated(reference, moved);
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

} // namespace

void reportUnresolvedInterval() { std::cout << " OTHER CASE WTF ?? " << std::endl; }

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
    return walkCirclePolygonAxes(centre, radius, polygon, overlapStep);
}

bool circlePolygonMtv(const Vec2& centre, float radius, const std::vector<Vec2>& polygon, Vec2* mtv)
{
    PushSearch search;
    const bool hit = walkCirclePolygonAxes(centre, radius, polygon,
                                           [&search](const Interval& poly, const Interval& disc, const Vec2& axis) {
                                               return resolveInterval(poly, disc, axis, search);
                                           });
    *mtv = search.best;
    return hit;
}

bool polygonCircleOverlap(const std::vector<Vec2>& polygon, const Vec2& centre, float radius)
{
    return circlePolygonOverlap(centre, radius, polygon);
}

bool polygonCircleMtv(const std::vector<Vec2>& polygon, const Vec2& centre, float radius, Vec2* mtv)
{
    if (!circlePolygonMtv(centre, radius, polygon, mtv)) return false;
    *mtv *= -1.0f;
    return true;
}

bool polygonsOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b)
{
    return walkPolygonPolygonAxes(a, b, overlapStep);
}

bool polygonPolygonMtv(const std::vector<Vec2>& a, const std::vector<Vec2>& b, Vec2* mtv)
{
    PushSearch search;
    const bool hit = walkPolygonPolygonAxes(a, b, [&search](const Interval& ia, const Interval& ib, const Vec2& axis) {
        return resolveInterval(ia, ib, axis, search);
    });
    // The search pushed b off a; a moves the opposite way.
    *mtv = search.best;
    if (hit) *mtv *= -1.0f;
    return hit;
}
