#pragma once

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "Vec2.h"

class GameObject;

// Axis-aligned box, world units.
struct Aabb {
    Vec2 lower;
    Vec2 upper;
};

// Smallest box around the points (which must not be empty); a NaN coordinate anywhere makes the
// whole box NaN, so that it is never found apart from anything.
Aabb boundsOfPoints(const Vec2* points, std::size_t count);
inline Aabb boundsOfPoints(const std::vector<Vec2>& points) { return boundsOfPoints(points.data(), points.size()); }
inline Aabb boundsOfPoints(std::initializer_list<Vec2> points) { return boundsOfPoints(points.begin(), points.size()); }

// The sum of the magnitudes of a box's coordinates, which bounds every one of them.
inline float magnitudeSum(const Aabb& box)
{
    return std::fabs(box.lower.x) + std::fabs(box.lower.y) + std::fabs(box.upper.x) + std::fabs(box.upper.y);
}

// Relative and absolute slack for clearlyApart, far beyond the few units in the last place by which
// rounded projections can stray from the true ones.
constexpr float kRelativeApartMargin = 1e-4f;
constexpr float kAbsoluteApartMargin = 1e-3f;
// World units; far beyond any arena, far below where a squared length overflows. Past it the pair
// tests' answers stop following the geometry, so nothing is apart there.
constexpr float kLargestTrustedCoordinate = 1e15f;

// True only when the boxes lie apart by clearly more than float rounding in a pair test could
// bridge: a cheap way to skip pair tests that would answer no. NaN never counts as apart.
// The magnitudes are magnitudeSum of each box, worked out once for a box tested against many.
inline bool clearlyApart(const Aabb& a, float aMagnitude, const Aabb& b, float bMagnitude)
{
    const float magnitude = aMagnitude + bMagnitude;
    // A NaN fails this comparison too.
    if (!(magnitude < kLargestTrustedCoordinate)) return false;
    const float margin = kAbsoluteApartMargin + kRelativeApartMargin * magnitude;
    return b.lower.x - a.upper.x > margin || a.lower.x - b.upper.x > margin || b.lower.y - a.upper.y > margin ||
           a.lower.y - b.upper.y > margin;
}
inline bool clearlyApart(const Aabb& a, float aMagnitude, const Aabb& b)
{
    return clearlyApart(a, aMagnitude, b, magnitudeSum(b));
}
inline bool clearlyApart(const Aabb& a, const Aabb& b) { return clearlyApart(a, magnitudeSum(a), b); }

// A circle and a convex polygon (as every Poly is) whose boxes are clearly apart: their overlap and
// push tests would answer no. Any other pair of shapes answers false, so the pair test decides.
bool circleAndPolygonClearlyApart(const GameObject& a, const GameObject& b);

// body's collisionMtv against other, answered no without the pair test where their boxes show it.
// On no, *mtv may be left as it was.
bool collisionMtvUnlessApart(const GameObject& body, const GameObject& other, Vec2* mtv);
