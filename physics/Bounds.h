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

// True only when the boxes lie apart by clearly more than float rounding in a pair test could
// bridge: a cheap way to skip pair tests that would answer no. NaN never counts as apart.
// aMagnitude is magnitudeSum(a), worked out once for a box tested against many.
inline bool clearlyApart(const Aabb& a, float aMagnitude, const Aabb& b)
{
    // Relative and absolute slack, far beyond the few units in the last place by which rounded
    // projections can stray from the true ones.
    constexpr float kRelativeMargin = 1e-4f;
    constexpr float kAbsoluteMargin = 1e-3f;
    // World units; far beyond any arena, far below where a squared length overflows. Past it the
    // pair tests' answers stop following the geometry, so nothing is apart there; a NaN fails the
    // comparison too.
    constexpr float kLargestTrusted = 1e15f;
    const float magnitude = aMagnitude + magnitudeSum(b);
    if (!(magnitude < kLargestTrusted)) return false;
    const float margin = kAbsoluteMargin + kRelativeMargin * magnitude;
    return b.lower.x - a.upper.x > margin || a.lower.x - b.upper.x > margin || b.lower.y - a.upper.y > margin ||
           a.lower.y - b.upper.y > margin;
}
inline bool clearlyApart(const Aabb& a, const Aabb& b) { return clearlyApart(a, magnitudeSum(a), b); }

// A circle and a convex polygon (as every Poly is) whose boxes are clearly apart: their overlap and
// push tests would answer no. Any other pair of shapes answers false, so the pair test decides.
bool circleAndPolygonClearlyApart(const GameObject& a, const GameObject& b);

// body's collisionMtv against other, answered no without the pair test where their boxes show it.
// On no, *mtv may be left as it was.
bool collisionMtvUnlessApart(const GameObject& body, const GameObject& other, Vec2* mtv);
