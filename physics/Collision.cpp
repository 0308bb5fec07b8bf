#include "Collision.h"

#include <ostream>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
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
void normaliseFour(__m128& x, __m128& y)
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
FourAxes edgeAxesFour(VertexSpan polygon, std::size_t first, bool reversed)
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
FourRanges projectPolygonFour(VertexSpan polygon, const FourAxes& axes)
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
FourRanges projectCircleFour(const Vec2& centre, float radius, const FourAxes& axes)
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
bool resolveFour(const FourRanges& reference, const FourRanges& moved, const FourAxes& axes, PushSearch& search)
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
