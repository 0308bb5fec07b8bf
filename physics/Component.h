#pragma once

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
};
