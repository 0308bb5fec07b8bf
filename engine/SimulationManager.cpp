#include "SimulationManager.h"

#include <cassert>
#include <iostream>
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
    // component behind it in the list, in the middle of the pass.
    std::vector<std::string> pendingRemovals;
    for (const auto& [name, body] : objects) {
        if (body->markedForRemoval) pendingRemovals.push_back(name);
    }
    for (const std::string& name : pendingRemovals) removeObject(name);
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
    components.push_back(component);
}

void SimulationManager::removeObject(const std::string& name)
{
    const auto found = objects.find(name);
    if (found == objects.end()) return;
    GameObject* body = found->second;
    for (const auto& [componentName, component] : body->components) components.remove(component);
    drawList.remove(body);
    // A parent never learns that its child went away; unhook the child here so no parent walks
    // a deleted body on its next move.
    for (auto& [otherName, other] : objects) other->children.remove(body);
    delete body;
    objects.erase(found);
}

void SimulationManager::sortDrawList()
{
    drawList.clear();
    for (const auto& [name, body] : objects) addToDrawList(body);
}

void SimulationManager::addToDrawList(GameObject* body)
{
    // In front of the first entry that is not farther away, so equal layers put the newest first.
    auto place = drawList.begin();
    while (place != drawList.end() && (*place)->layer > body->layer) ++place;
    drawList.insert(place, body);
}
