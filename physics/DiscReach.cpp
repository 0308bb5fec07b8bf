#include "DiscReach.h"

#include "Circle.h"

DiscReach::DiscReach(const GameObject& body)
{
    if (body.shapeType != ShapeType::Circle) return;
    const auto& circle = static_cast<const Circle&>(body);
    // A negative radius turns the disc's ranges inside out; leave such a pair to the pair test.
    if (!(circle.radius >= 0.0f)) return;
    const Vec2 reach(circle.radius, circle.radius);
    box = Aabb{circle.position - reach, circle.position + reach};
    magnitude = magnitudeSum(box);
    usable = true;
}
