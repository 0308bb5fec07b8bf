#pragma once

// The pair routines' axes four at a time, where the processor has SSE2; Collision.cpp walks them. The
// scalar helpers of Collision.h stay the reference: every lane must give their answer bit for bit.
#if defined(__SSE2__)
#include <emmintrin.h>

#include "Collision.h"

// Four axes are handled side by side where the processor allows: four edge normals are normalised
// together and every vertex is projected onto all four at once. Each lane performs the same float
// operations in the same order as the one-axis helpers (and max/min keep the earlier value unless
// the new one is strictly beyond it, as the scan does), so every range is bit for bit the same.
// The decisions stay one axis at a time, in order.

// For a float len, len > kTinyLength (a double) exactly when len > kTinyLengthFloat, the largest
// float below 1e-5; lanes compare in float.
constexpr float kTinyLengthFloat = 9.99999974737875163555e-06f;
static_assert(static_cast<double>(kTinyLengthFloat) < kTinyLength, "threshold must stay below 1e-5");

constexpr std::size_t kLanes = 4;

// Four axes and, beside them, what normalised() makes of each (the unit the pushes run along).
struct FourAxes {
    __m128 x;
    __m128 y;
    __m128 unitX;
    __m128 unitY;
};

// normalised() on four vectors at once.
inline void normaliseFour(__m128& x, __m128& y)
{
    const __m128 one = _mm_set1_ps(1.0f);
    __m128 len = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)));
    const __m128 usable = _mm_cmpgt_ps(len, _mm_set1_ps(kTinyLengthFloat));
    len = _mm_or_ps(_mm_and_ps(usable, len), _mm_andnot_ps(usable, one));
    const __m128 reciprocal = _mm_div_ps(one, len);
    x = _mm_mul_ps(x, reciprocal);
    y = _mm_mul_ps(y, reciprocal);
}

// Four closed ranges, one per lane.
struct FourRanges {
    __m128 min;
    __m128 max;
};

// edgeAxis (or reverseEdgeAxis) of edges first .. first + 3.
inline FourAxes edgeAxesFour(VertexSpan polygon, std::size_t first, bool reversed)
{
    const auto edge = [&](std::size_t lane) {
        const std::size_t i = first + lane;
        return polygon[i] - polygon[nextVertex(i, polygon.count)];
    };
    const Vec2 e0 = edge(0);
    const Vec2 e1 = edge(1);
    const Vec2 e2 = edge(2);
    const Vec2 e3 = edge(3);
    const __m128 ex = _mm_setr_ps(e0.x, e1.x, e2.x, e3.x);
    const __m128 ey = _mm_setr_ps(e0.y, e1.y, e2.y, e3.y);
    const __m128 signBit = _mm_set1_ps(-0.0f);
    // (-e.y, e.x), or (e.y, -e.x) reversed.
    __m128 x = reversed ? ey : _mm_xor_ps(ey, signBit);
    __m128 y = reversed ? _mm_xor_ps(ex, signBit) : ex;
    FourAxes axes;
    normaliseFour(x, y);
    axes.x = x;
    axes.y = y;
    normaliseFour(x, y);
    axes.unitX = x;
    axes.unitY = y;
    return axes;
}

// projectPolygon on each of the four axes.
inline FourRanges projectPolygonFour(VertexSpan polygon, const FourAxes& axes)
{
    const __m128 ax = axes.x;
    const __m128 ay = axes.y;
    const auto project = [&](const Vec2& v) {
        return _mm_add_ps(_mm_mul_ps(_mm_set1_ps(v.x), ax), _mm_mul_ps(_mm_set1_ps(v.y), ay));
    };
    __m128 low = project(polygon[0]);
    __m128 high = low;
    for (std::size_t i = 1; i < polygon.count; ++i) {
        const __m128 p = project(polygon[i]);
        high = _mm_max_ps(p, high);
        low = _mm_min_ps(p, low);
    }
    return {low, high};
}

// projectCircle on each of the four axes.
inline FourRanges projectCircleFour(const Vec2& centre, float radius, const FourAxes& axes)
{
    const __m128 middle =
        _mm_add_ps(_mm_mul_ps(_mm_set1_ps(centre.x), axes.x), _mm_mul_ps(_mm_set1_ps(centre.y), axes.y));
    const __m128 r = _mm_set1_ps(radius);
    return {_mm_sub_ps(middle, r), _mm_add_ps(middle, r)};
}

// Four candidate pushes with their squared lengths and length() values.
struct FourPushes {
    alignas(16) float x[kLanes];
    alignas(16) float y[kLanes];
    alignas(16) float squared[kLanes];
    alignas(16) float length[kLanes];

    // The pushes u * depth, measured.
    FourPushes(__m128 ux, __m128 uy, __m128 depth)
    {
        const __m128 px = _mm_mul_ps(ux, depth);
        const __m128 py = _mm_mul_ps(uy, depth);
        const __m128 squares = _mm_add_ps(_mm_mul_ps(px, px), _mm_mul_ps(py, py));
        _mm_store_ps(x, px);
        _mm_store_ps(y, py);
        _mm_store_ps(squared, squares);
        _mm_store_ps(length, _mm_sqrt_ps(squares));
    }

    void offerTo(PushSearch& search, std::size_t lane) const
    {
        search.offer(Vec2(x[lane], y[lane]), squared[lane], length[lane]);
    }
};

// Four axes of the push search at once: the ranges' overlap cases and candidate pushes, with their
// lengths, are worked out side by side; then the axes are decided one by one in order, exactly as
// resolveInterval decides them. False when an axis separates the ranges.
inline bool resolveFour(const FourRanges& reference, const FourRanges& moved, const FourAxes& axes, PushSearch& search)
{
    const __m128 aMin = reference.min;
    const __m128 aMax = reference.max;
    const __m128 bMin = moved.min;
    const __m128 bMax = moved.max;
    const int separated = _mm_movemask_ps(_mm_or_ps(_mm_cmplt_ps(aMax, bMin), _mm_cmplt_ps(bMax, aMin)));
    const __m128 upperEnd =
        _mm_and_ps(_mm_and_ps(_mm_cmple_ps(aMin, bMin), _mm_cmple_ps(aMax, bMax)), _mm_cmpge_ps(aMax, bMin));
    const __m128 lowerEnd =
        _mm_and_ps(_mm_and_ps(_mm_cmple_ps(bMin, aMin), _mm_cmple_ps(aMin, bMax)), _mm_cmpge_ps(aMax, bMax));
    const __m128 contained = _mm_or_ps(_mm_and_ps(_mm_cmple_ps(aMin, bMin), _mm_cmpge_ps(aMax, bMax)),
                                       _mm_and_ps(_mm_cmple_ps(bMin, aMin), _mm_cmple_ps(aMax, bMax)));
    const int upperBits = _mm_movemask_ps(upperEnd);
    const int lowerBits = _mm_movemask_ps(lowerEnd);
    const int containedBits = _mm_movemask_ps(contained);

    // First candidate: aMax - bMin for the upper end, aMin - bMax otherwise; second (containment
    // only): aMax - bMin.
    const __m128 down = _mm_sub_ps(aMin, bMax);
    const __m128 up = _mm_sub_ps(aMax, bMin);
    const __m128 firstDepth = _mm_or_ps(_mm_and_ps(upperEnd, up), _mm_andnot_ps(upperEnd, down));
    const FourPushes first(axes.unitX, axes.unitY, firstDepth);
    const FourPushes second(axes.unitX, axes.unitY, up);

    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        const int bit = 1 << lane;
        if ((separated & bit) != 0) return false;
        if (((upperBits | lowerBits | containedBits) & bit) == 0) {
            ++search.unresolvedAxes;
            continue;
        }
        first.offerTo(search, lane);
        if (((upperBits | lowerBits) & bit) == 0) second.offerTo(search, lane);
    }
    return true;
}
#endif
