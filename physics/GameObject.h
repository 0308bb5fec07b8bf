#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "Vec2.h"

class Component;
class QuadRenderer;

// Collision type tag of a body; drives the pair dispatch of collidesWith and collisionMtv.
enum class ShapeType : std::uint16_t { Circle = 0, Poly = 1, Box = 2 };

// Abstract body: a shape in the world that can be moved, turned, drawn and tested for overlap.
// Owns its components, not its children.
class GameObject {
public:
    GameObject() = default;
    // Deletes the components; children belong to the simulation and stay alive.
    virtual ~GameObject();
    GameObject& operator=(const GameObject&) = delete;

    // Reference point: a circle's centre, a polygon's vertex mean.
    virtual Vec2 getPosition() const = 0;
    // Swaps the body's image; a body that announces the change does so on console.
    virtual void setTexture(std::uint32_t texture, std::ostream& console) = 0;
    virtual void translate(float dx, float dy);
    // Moves the body, then its children scaled by their translationFollow.
    virtual void translate(const Vec2& delta) = 0;
    virtual void moveTo(const Vec2& target);
    // Turns the body counter-clockwise about pivot, then its children about the same pivot.
    virtual void rotate(float angle, const Vec2& pivot) = 0;
    virtual bool collidesWith(const GameObject* other) const = 0;
    // On true, *mtv is the shortest push that moves this body out of other.
    virtual bool collisionMtv(const GameObject* other, Vec2* mtv) const = 0;
    // Hands the body's quads to renderer.
    virtual void draw(QuadRenderer& renderer) const = 0;
    // A body of the same shape, place and settings, with no children or components and outside any
    // draw list: the caller attaches those again.
    virtual std::unique_ptr<GameObject> clone() const = 0;
    // Takes the shape, place and settings of other if it is the same kind of body (true); children,
    // components and the draw-list place stay as they are.
    virtual bool assignFrom(const GameObject& other) = 0;

    // Shows or hides this body and its whole attached tree.
    void setVisible(bool flag);

    // Draw depth: larger is farther; quads are drawn at z = -layer.
    std::uint16_t layer = 1;
    // Game-level classification (3 marks a wall).
    std::uint16_t kind = 0;
    ShapeType shapeType = ShapeType::Circle;
    // Set to have the update pass remove the body after every component has run.
    bool markedForRemoval = false;
    bool visible = true;
    // Children turn with their parent only while this is above 0; it gates, never scales.
    float rotationFollow = 1.0f;
    // Factor applied to the parent's translation; 0 or less keeps the child in place.
    float translationFollow = 1.0f;
    // Where a collision this body cannot resolve (a coordinate that is not a number) is reported: its
    // world's console, or nowhere.
    std::ostream* diagnostics = nullptr;
    // Attached bodies, not owned.
    std::list<GameObject*> children;
    // Behaviours by name, owned.
    std::map<std::string, Component*> components;

    // The simulation's bookkeeping, not the body's: its first place in the draw list, so that
    // leaving the list takes constant time.
    std::list<GameObject*>::iterator drawEntry;
    bool inDrawList = false;

protected:
    // Copies the settings; children, components and the draw-list place stay behind.
    GameObject(const GameObject& other);

    // The settings the copy constructor copies.
    void assignSettings(const GameObject& other);
    void translateChildren(const Vec2& delta);
    void rotateChildren(float angle, const Vec2& pivot);
};
