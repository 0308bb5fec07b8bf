#include "Bounds.h"

#include <cmath>

#include "Circle.h"
#include "Poly.h"

namespace {
// Relative and absolute slack, far beyond the few units in the last place by which rounded
// projections can stray from the true ones.
constexpr float kRelativeMargin = 1e-4f;
constexpr float kAbsoluteMargin = 1e-3f;
// World units; far beyond any arena, far below where a squared length overflows.
constexpr float kLargestTrusted = 1e15f;

float magnitudeSum(const Aabb& box)
{
    return std::fabs(box.lower.x) + std::fabs(box.lower.y) + std::fabs(box.upper.x) + std::fabs(box.upper.y);
}
} // namespace

Aabb boundsOfPoints(const Vec2* points, std::size_t count)
{
    Aabb box{points[0], points[0]};
    bool anyNaN = false;
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2& point = points[i];
        anyNaN = anyNaN || std::isnan(point.x) || std::isnan(point.y);
        box.lower.x = std::fmin(box.lower.x, point.x);
        box.lower.y = std::fmin(box.lower.y, point.y);
        box.upper.x = std::fmax(box.upper.x, point.x);
        box.upper.y = std::fmax(box.upper.y, point.y);
    }
    if (anyNaN) box.lower = box.upper = Vec2(NAN, NAN);
    return box;
}

bool clearlyApart(const Aabb& a, const Aabb& b)
{
    // The sum of magnitudes bounds every coordinate. Past kLargestTrusted the pair tests' squared
    // lengths overflow and their answers stop following the geometry, so nothing is apart there;
    // a NaN fails the comparison too.
    const float magnitude = magnitudeSum(a) + magnitudeSum(b);
    if (!(magnitude < kLargestTrusted)) return false;
    const float margin = kAbsoluteMargin + kRelativeMargin * magnitude;
    return b.lower.x - a.upper.x > margin || a.lower.x - b.upper.x > margin || b.lower.y - a.upper.y > margin ||
           a.lower.y - b.upper.y > margin;
}

bool circleAndPolygonClearlyApart(const GameObject& a, const GameObject& b)
{
    const GameObject* disc = &a;
    const GameObject* polygon = &b;
    if (disc->shapeType == ShapeType::Poly) std::swap(disc, polygon);
    if (disc->shapeType != ShapeType::Circle || polygon->shapeType != ShapeType::Poly) return false;
    const auto& poly = static_cast<const Poly&>(*polygon);
    if (poly.vertices.empty()) return false;
    const auto& circle = static_cast<const Circle&>(*disc);
    // A negative radius turns the disc's ranges inside out; leave such a pair to the pair test.
    if (!(circle.radius >= 0.0f)) return false;
    const Vec2 reach(circle.radius, circle.radius);
    return clearlyApart(Aabb{circle.position - reach, circle.position + reach}, poly.bounds);
}

bool collisionMtvUnlessApart(const GameObject& body, const GameObject& other, Vec2* mtv)
{
    return !circleAndPolygonClearlyApart(body, other) && body.collisionMtv(&other, mtv);
}
