#include "PhysicsComp.h"

#include "GameObject.h"

PhysicsComp::PhysicsComp(int id, GameObject* owner, const Vec2& velocity)
    : Component(id), velocity(velocity), owner(owner)
{
}

void PhysicsComp::update() { owner->translate(velocity); }

std::unique_ptr<Component> PhysicsComp::clone(const BodyRelink& relink) const
{
    auto copy = std::make_unique<PhysicsComp>(*this);
    copy->owner = relink(owner);
    return copy;
}

bool PhysicsComp::assignFrom(const Component& other, const BodyRelink& relink)
{
    const auto* same = dynamic_cast<const PhysicsComp*>(&other);
    if (same == nullptr) return false;
    *this = *same;
    owner = relink(same->owner);
    return true;
}
