#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "HudValues.h"
#include "ObjectMap.h"

class Component;
class GameObject;

// Base of every game: owns the world's bodies by name, fixes the drawing order and the order in
// which behaviour runs, and runs the update and render passes.
class SimulationManager {
public:
    // Prints "base init".
    SimulationManager();
    // Deletes the bodies still registered (and so their components).
    virtual ~SimulationManager();
    SimulationManager(const SimulationManager&) = delete;
    SimulationManager& operator=(const SimulationManager&) = delete;

    // Builds the world; called once before the first tick.
    virtual void init() {}
    // The game's own logic, at the start of every update tick.
    virtual void update() {}

    // Runs every component in attachment order, then removes the bodies marked for removal.
    void updateAll();
    // Frame set-up, every visible body in drawing order, then the overlay.
    void renderAll();
    // Gives the component to the registered body objectName and enrols it in the update order. Takes
    // ownership: given an unregistered name, it deletes the component.
    void addComponent(Component* component, const std::string& objectName, const std::string& componentName);
    // Withdraws and destroys a registered body; an unknown name is ignored.
    void removeObject(const std::string& name);
    // Rebuilds the drawing order from every registered body.
    void sortDrawList();
    // Inserts one body into the drawing order at its layer's place.
    void addToDrawList(GameObject* body);

    // The values the text overlay shows.
    std::unique_ptr<HudValues> hud;
    // Every registered body, by unique name; owns the bodies.
    ObjectMap objects;
    // Drawing order: descending layer, so nearer bodies are drawn over farther ones. Changed only
    // through the operations above, which keep it indexed.
    std::list<GameObject*> drawList;
    // Every attached component in attachment order: the update order. Changed only through
    // addComponent and the removals, which keep it indexed.
    std::list<Component*> components;

private:
    // Takes a registered body out of the update order and the draw list and deletes it; its parents
    // must already have let go of it, and the caller then erases its name.
    void withdraw(GameObject* body);
    void compactUpdateOrder();
    // Fetches what the removal pass withdraws after the marked body at `withdrawn`.
    void fetchAheadOfWithdrawal(std::size_t withdrawn) const;

    // The update order again, as an array the pass can run through without chasing list nodes,
    // each component beside its body so that both can be fetched ahead; removed components leave
    // null holes until the next compaction.
    struct UpdateSlot {
        Component* component;
        const GameObject* body;
    };
    std::vector<UpdateSlot> updateOrder;
    std::size_t updateHoles = 0;
    // The removal pass's working lists, kept between ticks so that a tick allocates none of them.
    struct Marked {
        ObjectMap::iterator at;
        std::size_t entry;
    };
    struct RemovalScratch {
        std::vector<Marked> marked;
        std::vector<GameObject*> parents;
        std::vector<const GameObject*> leaving;
    } removal;
    // Where a body's second and later places in the draw list are; its first is in the body, so
    // that a removal takes constant time.
    std::unordered_multimap<const GameObject*, std::list<GameObject*>::iterator> moreDrawSlots;
};
