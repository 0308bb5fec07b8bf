#include "PhysicsComp.h"

#include "GameObject.h"

PhysicsComp::PhysicsComp(GameObject* owner, const Vec2& velocity) : velocity(velocity), owner(owner) {}

void PhysicsComp::update() { owner->translate(velocity); }
