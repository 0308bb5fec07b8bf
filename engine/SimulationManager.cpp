#include "SimulationManager.h"

#include <cassert>
#include <iostream>
#include <unordered_set>
#include <vector>

#include "Component.h"
#include "Engine.h"
#include "GameObject.h"
#include "Renderer.h"

SimulationManager::SimulationManager() : hud(std::make_unique<HudValues>()) { std::cout << "base init" << std::endl; }

SimulationManager::~SimulationManager()
{
    for (auto& [name, body] : objects) delete body;
}

void SimulationManager::updateAll()
{
    for (Component* component : components) component->update();

    // Removal waits until every component has run, so that no component loses its body, or a
    // component behind it in the list, in the middle of the pass. One walk over the world finds both
    // the marked bodies and the parents they must be unhooked from.
    std::vector<ObjectMap::iterator> marked;
    std::vector<GameObject*> parents;
    for (auto at = objects.begin(); at != objects.end(); ++at) {
        if (at->second->markedForRemoval) marked.push_back(at);
        if (!at->second->children.empty()) parents.push_back(at->second);
    }
    if (marked.empty()) return;
    std::unordered_set<const GameObject*> leaving;
    for (const ObjectMap::iterator at : marked) leaving.insert(at->second);
    for (GameObject* parent : parents)
        parent->children.remove_if([&leaving](const GameObject* child) { return leaving.count(child) != 0; });
    for (const ObjectMap::iterator at : marked) withdraw(at);
}

void SimulationManager::renderAll()
{
    Renderer& renderer = *gEngine->renderer;
    renderer.setUpFrame(*gEngine->camera);
    for (const GameObject* body : drawList) {
        if (!body->visible) continue;
        renderer.beginBody();
        body->draw();
        renderer.endBody();
    }
    renderer.drawHud(*hud);
}

void SimulationManager::addComponent(Component* component, const std::string& objectName,
                                     const std::string& componentName)
{
    const auto found = objects.find(objectName);
    assert(found != objects.end() && "components attach only to registered bodies");
    if (found == objects.end()) {
        // Attaching hands the component over; with no body to own it, it goes now.
        delete component;
        return;
    }
    found->second->components[componentName] = component;
    updateSlots[component] = components.insert(components.end(), component);
}

void SimulationManager::removeObject(const std::string& name)
{
    const auto found = objects.find(name);
    if (found == objects.end()) return;
    // A parent never learns that its child went away; unhook the child here so no parent walks
    // a deleted body on its next move.
    for (auto& [otherName, other] : objects) other->children.remove(found->second);
    withdraw(found);
}

void SimulationManager::withdraw(ObjectMap::iterator at)
{
    GameObject* body = at->second;
    for (const auto& [componentName, component] : body->components) {
        const auto slot = updateSlots.find(component);
        if (slot == updateSlots.end()) continue;
        components.erase(slot->second);
        updateSlots.erase(slot);
    }
    const auto [first, last] = drawSlots.equal_range(body);
    for (auto slot = first; slot != last; ++slot) drawList.erase(slot->second);
    drawSlots.erase(first, last);
    delete body;
    objects.erase(at);
}

void SimulationManager::sortDrawList()
{
    drawList.clear();
    drawSlots.clear();
    for (const auto& [name, body] : objects) addToDrawList(body);
}

void SimulationManager::addToDrawList(GameObject* body)
{
    // In front of the first entry that is not farther away, so equal layers put the newest first.
    auto place = drawList.begin();
    while (place != drawList.end() && (*place)->layer > body->layer) ++place;
    drawSlots.emplace(body, drawList.insert(place, body));
}
