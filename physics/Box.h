#pragma once

#include <cstdint>

#include "GameObject.h"

// Axis-aligned rectangle body, recognised by the circle pair routines. It stays axis-aligned:
// turning it only carries its centre round the pivot. It is collision-only and draws nothing.
class Box : public GameObject {
public:
    Box(const Vec2& lower, const Vec2& upper, std::uint16_t layer, std::uint16_t kind);

    // Centre of the rectangle.
    Vec2 getPosition() const override;
    // A box draws nothing, so it keeps no texture.
    void setTexture(std::uint32_t texture, std::ostream& console) override;
    using GameObject::translate;
    void translate(const Vec2& delta) override;
    // Moves the centre as the rotation would; the extents keep their orientation.
    void rotate(float angle, const Vec2& pivot) override;
    // Overlaps circles only; any other shape answers false.
    bool collidesWith(const GameObject* other) const override;
    // Against a circle writes the push of the box (the circle's push negated); otherwise false.
    bool collisionMtv(const GameObject* other, Vec2* mtv) const override;
    void draw(QuadRenderer& renderer) const override;
    std::unique_ptr<GameObject> clone() const override;
    bool assignFrom(const GameObject& other) override;

    // Smallest x and y, world units.
    Vec2 lower;
    // Largest x and y, world units.
    Vec2 upper;
};
