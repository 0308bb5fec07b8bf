#pragma once

#include <cstddef>
#include <vector>

class Component;
class GameObject;

// The order in which components run, as an array the update pass runs through without chasing list
// nodes, each component beside its body so that both can be fetched ahead of their turn. A removed
// component leaves a hole, so that a removal takes constant time and the others keep their places;
// closing the holes costs a pass over the order, so it waits until they make up half of it.
class UpdateOrder {
public:
    // One place: a null component is a hole.
    struct Slot {
        Component* component;
        const GameObject* body;
    };

    // Puts component, attached to body, last, and tells it its place.
    void enrol(Component* component, const GameObject* body);
    // Leaves a hole where the enrolled component was, and tells it it has no place.
    void withdraw(Component& component);
    // Updates every component in order, fetching ahead.
    void runAll();
    // Closes the holes once they make up half of the order, telling the components their new places.
    void compactIfSparse();
    void clear();
    // Every place in order, holes included.
    const std::vector<Slot>& slots() const { return order; }

private:
    std::vector<Slot> order;
    std::size_t holes = 0;
};
