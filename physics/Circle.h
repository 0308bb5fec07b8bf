#pragma once

#include <cstdint>
#include <ostream>

#include "GameObject.h"
#include "TexturedQuad.h"

// Disc body, drawn as one textured square that encloses it and turns with it.
class Circle : public GameObject {
public:
    Circle(const Vec2& position, float radius, std::uint16_t layer, std::uint32_t texture, std::uint16_t kind);

    Vec2 getPosition() const override;
    // Announces every call on console, then swaps the square's texture.
    void setTexture(std::uint32_t texture, std::ostream& console) override;
    using GameObject::translate;
    void translate(const Vec2& delta) override;
    void rotate(float angle, const Vec2& pivot) override;
    bool collidesWith(const GameObject* other) const override;
    bool collisionMtv(const GameObject* other, Vec2* mtv) const override;
    void draw(QuadRenderer& renderer) const override;
    std::unique_ptr<GameObject> clone() const override;
    bool assignFrom(const GameObject& other) override;

    // The drawn square; built once, then only moved and turned with the centre.
    TexturedQuad quad;
    // Centre, world units.
    Vec2 position;
    // World units; fixed after construction.
    float radius;
};
