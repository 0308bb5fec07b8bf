#include "Circle.h"

#include <ostream>

#include "Box.h"
#include "Collision.h"
#include "Poly.h"

Circle::Circle(const Vec2& position, float radius, std::uint16_t layer, std::uint32_t texture, std::uint16_t kind)
    : position(position), radius(radius)
{
    const float x = position.x;
    const float y = position.y;
    quad.corners = {Vec2(x - radius, y + radius), Vec2(x + radius, y + radius), Vec2(x + radius, y - radius),
                    Vec2(x - radius, y - radius)};
    quad.layerRef = &this->layer;
    quad.texture = texture;
    this->layer = layer;
    this->kind = kind;
    shapeType = ShapeType::Circle;
}

Vec2 Circle::getPosition() const { return position; }

void Circle::setTexture(std::uint32_t texture, std::ostream& console)
{
    console << "getting called" << std::endl;
    quad.texture = texture;
}

void Circle::translate(const Vec2& delta)
{
    position += delta;
    quad.translate(delta);
    translateChildren(delta);
}

void Circle::rotate(float angle, const Vec2& pivot)
{
    position = rotatedAbout(position, pivot, angle);
    quad.rotate(angle, pivot);
    rotateChildren(angle, pivot);
}

// A polygon without vertices has no ranges to compare; it never collides.
bool Circle::collidesWith(const GameObject* other) const
{
    switch (other->shapeType) {
    case ShapeType::Circle:
        return circlesOverlap(position, radius, other->getPosition(), static_cast<const Circle*>(other)->radius);
    case ShapeType::Poly: {
        const std::vector<Vec2>& polygon = static_cast<const Poly*>(other)->vertices;
        return !polygon.empty() && circlePolygonOverlap(position, radius, polygon);
    }
    case ShapeType::Box: {
        const auto* box = static_cast<const Box*>(other);
        return circleBoxOverlap(position, radius, box->lower, box->upper);
    }
    }
    return false;
}

bool Circle::collisionMtv(const GameObject* other, Vec2* mtv) const
{
    switch (other->shapeType) {
    case ShapeType::Circle:
        return circleCircleMtv(position, radius, other->getPosition(), static_cast<const Circle*>(other)->radius, mtv);
    case ShapeType::Poly: {
        const std::vector<Vec2>& polygon = static_cast<const Poly*>(other)->vertices;
        return !polygon.empty() && circlePolygonMtv(position, radius, polygon, mtv, diagnostics);
    }
    case ShapeType::Box: {
        const auto* box = static_cast<const Box*>(other);
        return circleBoxMtv(position, radius, box->lower, box->upper, mtv);
    }
    }
    return false;
}

void Circle::draw(QuadRenderer& renderer) const { renderer.drawTexturedQuad(quad); }

std::unique_ptr<GameObject> Circle::clone() const
{
    auto copy = std::make_unique<Circle>(*this);
    copy->quad.layerRef = &copy->layer;
    return copy;
}

bool Circle::assignFrom(const GameObject& other)
{
    const auto* circle = dynamic_cast<const Circle*>(&other);
    if (circle == nullptr) return false;
    assignSettings(other);
    quad.corners = circle->quad.corners;
    quad.texture = circle->quad.texture;
    position = circle->position;
    radius = circle->radius;
    return true;
}
