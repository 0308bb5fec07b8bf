#pragma once

#include <cstddef>
#include <list>

// Serial number for the next component made: 0 at start, never reused.
extern int nextComponentId;

// Per-tick behaviour attached to a body. The base sits beside GameObject because a body
// owns and deletes its components; the concrete behaviours live in components/.
class Component {
public:
    // Prints and takes the next serial number.
    Component();
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // One tick of behaviour.
    virtual void update() = 0;

    int id;

    // The simulation's bookkeeping, not the behaviour's: where the component sits in the update
    // order, so that leaving it takes constant time.
    static constexpr std::size_t kNotEnrolled = static_cast<std::size_t>(-1);
    std::list<Component*>::iterator updateEntry;
    std::size_t updateIndex = kNotEnrolled;
};
