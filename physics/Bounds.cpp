#include "Bounds.h"

#include <cmath>
#include <utility>

#include "DiscReach.h"

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

bool circleAndPolygonClearlyApart(const GameObject& a, const GameObject& b)
{
    const GameObject* disc = &a;
    const GameObject* polygon = &b;
    if (disc->shapeType == ShapeType::Poly) std::swap(disc, polygon);
    return DiscReach(*disc).clearlyApartFrom(*polygon);
}

bool collisionMtvUnlessApart(const GameObject& body, const GameObject& other, Vec2* mtv)
{
    return !circleAndPolygonClearlyApart(body, other) && body.collisionMtv(&other, mtv);
}
