#pragma once

#include <cstddef>
#include <list>
#include <memory>

class GameObject;

// Where a copied world finds the copy of each body: what components that point at bodies are
// re-pointed through when the world is saved or restored.
class BodyRelink {
public:
    virtual ~BodyRelink() = default;
    // The copy of body; nullptr for nullptr or a body outside the copied world.
    virtual GameObject* operator()(const GameObject* body) const = 0;
};

// Per-tick behaviour attached to a body. The base sits beside GameObject because a body
// owns and deletes its components; the concrete behaviours live in components/.
class Component {
public:
    // id is the component's serial number, handed out by the simulation that makes it.
    explicit Component(int id) : id(id) {}
    virtual ~Component() = default;

    // One tick of behaviour.
    virtual void update() = 0;
    // The same behaviour, id and state, pointing at the copies of its bodies; outside any update order.
    virtual std::unique_ptr<Component> clone(const BodyRelink& relink) const = 0;
    // Takes the id and state of other if it is the same behaviour (true), pointing at the copies of
    // its bodies; the bookkeeping stays.
    virtual bool assignFrom(const Component& other, const BodyRelink& relink) = 0;

    int id;

    // The simulation's bookkeeping, not the behaviour's: where the component sits in the update
    // order, so that leaving it takes constant time.
    static constexpr std::size_t kNotEnrolled = static_cast<std::size_t>(-1);
    std::list<Component*>::iterator updateEntry;
    std::size_t updateIndex = kNotEnrolled;

protected:
    // Copy and assignment take the id and nothing of the bookkeeping.
    Component(const Component& other) : id(other.id) {}
    Component& operator=(const Component& other)
    {
        id = other.id;
        return *this;
    }
};
