#pragma once

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "Vec2.h"

// Pair tests and minimum translation vectors for circles, axis-aligned boxes and convex polygons.
//
// Polygons are separated along their edge normals; a circle against a polygon also needs the
// axis from the polygon's nearest vertex to the centre, the only one that separates a circle
// sitting off a corner. The overlap tests and the push routines walk the same axes with the same
// helpers, so their yes-or-no answers always agree.
//
// Every polygon handed to these functions has at least one vertex; the bodies guard that.

// A polygon's vertices as the routines walk them: a pointer and a count, passed by value.
struct VertexSpan {
    VertexSpan(const std::vector<Vec2>& vertices) : data(vertices.data()), count(vertices.size()) {}

    const Vec2& operator[](std::size_t i) const { return data[i]; }

    const Vec2* data;
    std::size_t count;
};

// Closed range of projections on one axis; ranges that only touch overlap.
struct Interval {
    float min;
    float max;
};

// Length of the push the search starts from, longer than any real candidate (world units).
constexpr float kUnsetMtv = 100000.0f;

// Scalar position of point along axis.
inline float projection(const Vec2& point, const Vec2& axis) { return point.x * axis.x + point.y * axis.y; }

// Widens range by p: only strictly larger or smaller values count, so on ties the earlier value
// stays and a NaN never enters after vertex 0.
inline void extendInterval(Interval& range, float p)
{
    if (p > range.max) range.max = p;
    if (p < range.min) range.min = p;
}

// Range of the polygon's vertices along axis: vertex 0 seeds it, then each later vertex in order
// widens it.
inline Interval projectPolygon(VertexSpan vertices, const Vec2& axis)
{
    assert(vertices.count != 0);
    const float first = projection(vertices[0], axis);
    Interval result{first, first};
    for (std::size_t i = 1; i < vertices.count; ++i) extendInterval(result, projection(vertices[i], axis));
    return result;
}

// Range of a disc along axis: the centre's projection widened by the radius both ways.
inline Interval projectCircle(const Vec2& centre, float radius, const Vec2& axis)
{
    const float middle = projection(centre, axis);
    return {middle - radius, middle + radius};
}

// True when a gap lies between the ranges; NaN bounds never separate.
inline bool intervalsSeparated(const Interval& a, const Interval& b) { return a.max < b.min || b.max < a.min; }

// Index of the vertex after i, wrapping to 0 after the last.
inline std::size_t nextVertex(std::size_t i, std::size_t count) { return i + 1 == count ? 0 : i + 1; }

// Unit normal of edge i, outward for counter-clockwise vertices; a zero-length edge gives (0, 0).
inline Vec2 edgeAxis(VertexSpan vertices, std::size_t i)
{
    const Vec2 e = vertices[i] - vertices[nextVertex(i, vertices.count)];
    return normalised(Vec2(-e.y, e.x));
}

// The opposite normal of edge i, used for the second polygon of a pair.
inline Vec2 reverseEdgeAxis(VertexSpan vertices, std::size_t i)
{
    const Vec2 e = vertices[i] - vertices[nextVertex(i, vertices.count)];
    return normalised(Vec2(e.y, -e.x));
}

// The polygon vertex closest to a centre among those offered so far; vertex 0 seeds it and a
// later vertex takes over only when strictly closer, so ties keep the lower index.
struct NearestVertex {
    std::size_t index = 0;
    float distance = 0.0f;
    // distance before the root: a vertex that is not nearer in squares cannot be strictly nearer.
    float squaredDistance = 0.0f;

    // Offers vertex i; vertices are offered in index order starting at 0.
    void offer(VertexSpan vertices, std::size_t i, const Vec2& centre)
    {
        const Vec2 offset = centre - vertices[i];
        const float squared = offset.x * offset.x + offset.y * offset.y;
        if (i != 0 && !(squared < squaredDistance)) return;
        const float d = std::sqrt(squared);
        if (i == 0 || d < distance) {
            index = i;
            distance = d;
            squaredDistance = squared;
        }
    }
};

// The shortest push found so far. Lengths are compared as rounded roots, exactly as length()
// gives them; the squares only skip the root when the candidate cannot be strictly shorter.
struct PushSearch {
    Vec2 best{kUnsetMtv, kUnsetMtv};
    float bestLength = length(Vec2(kUnsetMtv, kUnsetMtv));
    float bestSquared = kUnsetMtv * kUnsetMtv + kUnsetMtv * kUnsetMtv;
    // Axes whose ranges fit none of the overlap cases (a NaN bound): they offer nothing.
    unsigned unresolvedAxes = 0;

    // Keeps candidate only when strictly shorter, so on a tie the earlier one stays.
    void offer(const Vec2& candidate)
    {
        const float squared = candidate.x * candidate.x + candidate.y * candidate.y;
        if (!(squared < bestSquared)) return;
        offer(candidate, squared, std::sqrt(squared));
    }

    // The same with the candidate's squared length and length() already worked out.
    void offer(const Vec2& candidate, float squared, float candidateLength)
    {
        if (candidateLength < bestLength) {
            best = candidate;
            bestLength = candidateLength;
            bestSquared = squared;
        }
    }
};

// normalised(axis) for an axis that is usually unit already. 1.0f and the float just above it
// are the only squared lengths whose root rounds to exactly 1, and dividing by 1 changes nothing.
inline Vec2 unitAxis(const Vec2& axis)
{
    const float squared = axis.x * axis.x + axis.y * axis.y;
    std::uint32_t bits;
    std::memcpy(&bits, &squared, sizeof bits);
    if (bits - 0x3f800000u <= 1u) return axis;
    return normalised(axis);
}

// One axis of the push search: false when the ranges are separated; otherwise offers the pushes
// along unit, normalised(axis), that move the moved body's range off the reference range.
inline bool resolveInterval(const Interval& reference, const Interval& moved, const Vec2& unit, PushSearch& search)
{
    const float aMin = reference.min;
    const float aMax = reference.max;
    const float bMin = moved.min;
    const float bMax = moved.max;
    if (aMax < bMin || bMax < aMin) return false;
    const Vec2& u = unit;
    if (aMin <= bMin && aMax <= bMax && aMax >= bMin) {
        // Moved range overlaps the upper end of the reference.
        search.offer(u * (aMax - bMin));
    } else if (bMin <= aMin && aMin <= bMax && aMax >= bMax) {
        // Moved range overlaps the lower end.
        search.offer(u * (aMin - bMax));
    } else if ((aMin <= bMin && aMax >= bMax) || (bMin <= aMin && aMax <= bMax)) {
        // One range holds the other: push out either way, downwards first.
        search.offer(u * (aMin - bMax));
        search.offer(u * (aMax - bMin));
    } else {
        ++search.unresolvedAxes;
    }
    return true;
}

// Discs overlap when their centres are closer than the sum of the radii; touching discs do not.
bool circlesOverlap(const Vec2& centre, float radius, const Vec2& otherCentre, float otherRadius);

// On overlap writes the push of the first disc away from the second; otherwise leaves mtv alone.
bool circleCircleMtv(const Vec2& centre, float radius, const Vec2& otherCentre, float otherRadius, Vec2* mtv);

// Disc against the box from lower to upper corner; a disc only touching the box does not overlap.
bool circleBoxOverlap(const Vec2& centre, float radius, const Vec2& lower, const Vec2& upper);

// On overlap writes the push of the disc out of the box; otherwise writes (0, 0).
bool circleBoxMtv(const Vec2& centre, float radius, const Vec2& lower, const Vec2& upper, Vec2* mtv);

// Disc against a convex polygon; touching counts as overlap.
bool circlePolygonOverlap(const Vec2& centre, float radius, const std::vector<Vec2>& polygon);

// On overlap writes the push of the disc out of the polygon. On separation mtv holds the best
// push of the axes tested before the separating one, or (kUnsetMtv, kUnsetMtv). Each axis whose
// ranges fit no overlap case (a NaN bound) is reported by a line on diagnostics, when one is handed
// in; so in the two routines below.
bool circlePolygonMtv(const Vec2& centre, float radius, const std::vector<Vec2>& polygon, Vec2* mtv,
                      std::ostream* diagnostics = nullptr);

// The same answer as circlePolygonOverlap with the roles swapped.
bool polygonCircleOverlap(const std::vector<Vec2>& polygon, const Vec2& centre, float radius);

// On overlap writes the push of the polygon away from the disc (the disc's push negated);
// on separation mtv holds what circlePolygonMtv leaves, not negated.
bool polygonCircleMtv(const std::vector<Vec2>& polygon, const Vec2& centre, float radius, Vec2* mtv,
                      std::ostream* diagnostics = nullptr);

// Convex polygons a and b; touching counts as overlap.
bool polygonsOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b);

// On overlap writes the push of a out of b. On separation mtv holds the best push of b found on
// the axes before the separating one, not negated, or (kUnsetMtv, kUnsetMtv).
bool polygonPolygonMtv(const std::vector<Vec2>& a, const std::vector<Vec2>& b, Vec2* mtv,
                       std::ostream* diagnostics = nullptr);
