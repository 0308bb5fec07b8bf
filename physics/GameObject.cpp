#include "GameObject.h"

#include "Component.h"

GameObject::~GameObject()
{
    for (auto& [name, component] : components) delete component;
}

GameObject::GameObject(const GameObject& other) { assignSettings(other); }

void GameObject::assignSettings(const GameObject& other)
{
    layer = other.layer;
    kind = other.kind;
    shapeType = other.shapeType;
    markedForRemoval = other.markedForRemoval;
    visible = other.visible;
    rotationFollow = other.rotationFollow;
    translationFollow = other.translationFollow;
    diagnostics = other.diagnostics;
}

void GameObject::translate(float dx, float dy) { translate(Vec2(dx, dy)); }

void GameObject::moveTo(const Vec2& target) { translate(target - getPosition()); }

void GameObject::setVisible(bool flag)
{
    visible = flag;
    for (GameObject* child : children) child->setVisible(flag);
}

void GameObject::translateChildren(const Vec2& delta)
{
    for (GameObject* child : children) {
        const float follow = child->translationFollow;
        if (follow > 0.0f) child->translate(Vec2(delta.x * follow, delta.y * follow));
    }
}

void GameObject::rotateChildren(float angle, const Vec2& pivot)
{
    for (GameObject* child : children) {
        if (child->rotationFollow > 0.0f) child->rotate(angle, pivot);
    }
}
