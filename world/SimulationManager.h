#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Camera.h"
#include "HudValues.h"
#include "MatchContext.h"
#include "MatchEvent.h"
#include "MatchInput.h"
#include "ObjectMap.h"
#include "PolygonBoxes.h"
#include "UpdateOrder.h"

class Component;
class GameObject;
class Renderer;
class WindowSystem;

// A copy of a simulation's world: its bodies by name with their components, children, drawing order
// and update order, and the next component number. Restored only into the simulation it came from.
class WorldSnapshot {
public:
    WorldSnapshot() = default;
    WorldSnapshot(WorldSnapshot&&) noexcept = default;
    WorldSnapshot& operator=(WorldSnapshot&&) noexcept = default;

private:
    friend class SimulationManager;
    // In name order; each with its components and children attached, children by the copies.
    std::vector<std::pair<std::string, std::unique_ptr<GameObject>>> bodies;
    // Entries of bodies, in drawing order.
    std::vector<std::size_t> drawOrder;
    // The update order: each component's body (an entry of bodies) and its name there.
    std::vector<std::pair<std::size_t, std::string>> updateOrder;
    int nextComponentId = 0;
};

// Base of every game: owns the world's bodies by name, fixes the drawing order and the order in
// which behaviour runs, and runs the update and render passes.
class SimulationManager {
public:
    // Prints "base init" on console.
    explicit SimulationManager(std::ostream& console);
    // Deletes the bodies still registered (and so their components).
    virtual ~SimulationManager();
    SimulationManager(const SimulationManager&) = delete;
    SimulationManager& operator=(const SimulationManager&) = delete;

    // Builds the world; called once before the first tick.
    virtual void init() {}
    // The game's own logic, at the start of every update tick; it reads the tick's input().
    virtual void update() {}

    // One update tick: the view fitted to the record's window sizes, the game's update with this input, then
    // the component pass and its removals.
    void step(const TickInput& input);
    // Runs every component in attachment order, then removes the bodies marked for removal.
    void updateAll();
    // Frame set-up, every visible body in drawing order, then the overlay.
    void renderAll(Renderer& renderer);
    // The input of the tick being stepped (all released outside step()).
    const TickInput& input() const { return *currentInput; }
    // Takes the next component number, printing it on the console: every component is made with one.
    int newComponentId();
    // Copies of the world, to go back to later.
    WorldSnapshot saveWorld() const;
    void restoreWorld(const WorldSnapshot& snapshot);
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
    // The view onto this world; the window sizes a tick's record lists adapt its extents to the window's shape.
    Camera camera;
    // Texture names by image key, handed in before init(); a key not in it gives 0 (untextured).
    std::map<std::string, std::uint32_t> textureNames;
    // What the world asks of the window that shows it (pointer, full screen, size, quitting); none
    // when nothing shows it.
    WindowSystem* window = nullptr;
    // What happened in the current tick, for whoever listens; cleared as each tick starts.
    std::vector<MatchEvent> events;
    // Every registered body, by unique name; owns the bodies.
    ObjectMap objects;
    // Drawing order: descending layer, so nearer bodies are drawn over farther ones. Changed only
    // through the operations above, which keep it indexed.
    std::list<GameObject*> drawList;
    // Every attached component in attachment order: the update order. Changed only through
    // addComponent and the removals, which keep it indexed.
    std::list<Component*> components;

protected:
    // The texture registered under key, or 0.
    std::uint32_t textureNamed(const std::string& key) const;
    // Where this world's console lines go.
    std::ostream& console() const { return *context.console; }

    PolygonBoxes wallBoxes;
    // Handed to the behaviours: what they share of this world.
    MatchContext context;

private:
    // Takes a registered body out of the update order and the draw list and deletes it; its parents
    // must already have let go of it, and the caller then erases its name.
    void withdraw(GameObject* body);
    // Fetches what the removal pass withdraws after the marked body at `withdrawn`.
    void fetchAheadOfWithdrawal(std::size_t withdrawn) const;

    // The update order again, as the pass runs it.
    UpdateOrder updateOrder;
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
    int nextComponentId = 0;
    const TickInput* currentInput;
    static const TickInput kNoInput;
};
