#pragma once

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

// True only when the boxes lie apart by clearly more than float rounding in a pair test could
// bridge: a cheap way to skip pair tests that would answer no. NaN never counts as apart.
bool clearlyApart(const Aabb& a, const Aabb& b);

// A circle and a convex polygon (as every Poly is) whose boxes are clearly apart: their overlap and
// push tests would answer no. Any other pair of shapes answers false, so the pair test decides.
bool circleAndPolygonClearlyApart(const GameObject& a, const GameObject& b);

// body's collisionMtv against other, answered no without the pair test where their boxes show it.
// On no, *mtv may be left as it was.
bool collisionMtvUnlessApart(const GameObject& body, const GameObject& other, Vec2* mtv);
