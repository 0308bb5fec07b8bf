#pragma once

#include "Component.h"
#include "Vec2.h"

class GameObject;

// Carries its body along at a constant velocity: no gravity, friction or collision.
class PhysicsComp : public Component {
public:
    PhysicsComp(int id, GameObject* owner, const Vec2& velocity);

    // Translates the owner (and its children) by velocity.
    void update() override;
    std::unique_ptr<Component> clone(const BodyRelink& relink) const override;
    bool assignFrom(const Component& other, const BodyRelink& relink) override;

    // World units per tick; changed only by whoever writes it.
    Vec2 velocity;
    // Not owned.
    GameObject* owner;
};
