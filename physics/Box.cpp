#include "Box.h"

#include "Circle.h"
#include "Collision.h"

Box::Box(const Vec2& lower, const Vec2& upper, std::uint16_t layer, std::uint16_t kind) : lower(lower), upper(upper)
{
    this->layer = layer;
    this->kind = kind;
    shapeType = ShapeType::Box;
}

Vec2 Box::getPosition() const { return (lower + upper) * 0.5f; }

void Box::setTexture(std::uint32_t /*texture*/, std::ostream& /*console*/) {}

void Box::translate(const Vec2& delta)
{
    lower += delta;
    upper += delta;
    translateChildren(delta);
}

void Box::rotate(float angle, const Vec2& pivot)
{
    const Vec2 centre = getPosition();
    const Vec2 shift = rotatedAbout(centre, pivot, angle) - centre;
    lower += shift;
    upper += shift;
    rotateChildren(angle, pivot);
}

bool Box::collidesWith(const GameObject* other) const
{
    if (other->shapeType != ShapeType::Circle) return false;
    const auto* circle = static_cast<const Circle*>(other);
    return circleBoxOverlap(circle->getPosition(), circle->radius, lower, upper);
}

bool Box::collisionMtv(const GameObject* other, Vec2* mtv) const
{
    if (other->shapeType != ShapeType::Circle) return false;
    const auto* circle = static_cast<const Circle*>(other);
    if (!circleBoxMtv(circle->getPosition(), circle->radius, lower, upper, mtv)) return false;
    *mtv *= -1.0f;
    return true;
}

void Box::draw(QuadRenderer&) const {}

std::unique_ptr<GameObject> Box::clone() const { return std::make_unique<Box>(*this); }

bool Box::assignFrom(const GameObject& other)
{
    const auto* box = dynamic_cast<const Box*>(&other);
    if (box == nullptr) return false;
    assignSettings(other);
    lower = box->lower;
    upper = box->upper;
    return true;
}
