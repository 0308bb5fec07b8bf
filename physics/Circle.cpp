#include "Circle.h"

#include <iostream>

Circle::Circle(const Vec2& position, float radius, std::uint16_t layer, std::uint32_t texture,
               std::uint16_t kind)
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

void Circle::setTexture(std::uint32_t texture)
{
    std::cout << "getting called" << std::endl;
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

bool Circle::collidesWith(const GameObject* /*other*/) const { return false; }

bool Circle::collisionMtv(const GameObject* /*other*/, Vec2* /*mtv*/) const { return false; }

void Circle::draw() const { drawTexturedQuad(quad); }
