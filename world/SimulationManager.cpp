#include "SimulationManager.h"

#include <algorithm>
#include <cassert>
#include <iostream>
#include <vector>

#include "Component.h"
#include "GameObject.h"
#include "Prefetch.h"
#include "Renderer.h"

namespace {

// Old bodies to their copies, by binary search over pairs sorted by the old address.
class SortedRelink : public BodyRelink {
public:
    void add(const GameObject* from, GameObject* to) { pairs.emplace_back(from, to); }
    void seal() { std::sort(pairs.begin(), pairs.end()); }
    GameObject* operator()(const GameObject* body) const override
    {
        const auto at = std::lower_bound(pairs.begin(), pairs.end(), body,
                                         [](const auto& pair, const GameObject* key) { return pair.first < key; });
        return at != pairs.end() && at->first == body ? at->second : nullptr;
    }

private:
    std::vector<std::pair<const GameObject*, GameObject*>> pairs;
};

// Gives each copy the copies of its original's children and components.
void attachCopies(const std::vector<std::pair<const GameObject*, GameObject*>>& copies, const BodyRelink& relink)
{
    for (const auto& [original, copy] : copies) {
        if (original == nullptr) continue;
        for (const GameObject* child : original->children) {
            GameObject* childCopy = relink(child);
            assert(childCopy != nullptr && "a saved body's children are registered bodies");
            if (childCopy != nullptr) copy->children.push_back(childCopy);
        }
        for (const auto& [name, component] : original->components)
            copy->components.emplace_hint(copy->components.end(), name, component->clone(relink).release());
    }
}
// Has body's components, which must carry the same roles as saved's, take their saved state in place;
// false if any role or behaviour differs (some may then have been assigned already).
bool assignComponents(GameObject& body, const GameObject& saved, const BodyRelink& relink)
{
    if (body.components.size() != saved.components.size()) return false;
    auto mine = body.components.begin();
    for (const auto& [role, component] : saved.components) {
        if (mine->first != role || !mine->second->assignFrom(*component, relink)) return false;
        mine->second->updateIndex = Component::kNotEnrolled;
        ++mine;
    }
    return true;
}
} // namespace

const TickInput SimulationManager::kNoInput{};

SimulationManager::SimulationManager(std::ostream& console)
    : hud(std::make_unique<HudValues>()), context{&objects, &wallBoxes, &console, &events}, currentInput(&kNoInput)
{
    console << "base init" << std::endl;
}

SimulationManager::~SimulationManager()
{
    for (auto& [name, body] : objects) delete body;
}

void SimulationManager::step(const TickInput& input)
{
    currentInput = &input;
    // The window's new sizes reach the view with the tick that lists them, never in between.
    for (const auto& [width, height] : input.window.reshapes) fitToWindow(camera, width, height);
    events.clear();
    update();
    updateAll();
    currentInput = &kNoInput;
}

int SimulationManager::newComponentId()
{
    // Two of these a bullet: the engine flushes the console once a tick rather than once a line.
    console() << nextComponentId << '\n';
    return nextComponentId++;
}

std::uint32_t SimulationManager::textureNamed(const std::string& key) const
{
    const auto found = textureNames.find(key);
    return found != textureNames.end() ? found->second : 0;
}

WorldSnapshot SimulationManager::saveWorld() const
{
    WorldSnapshot snapshot;
    snapshot.nextComponentId = nextComponentId;
    SortedRelink relink;
    std::vector<std::pair<const GameObject*, GameObject*>> copies;
    copies.reserve(objects.size());
    snapshot.bodies.reserve(objects.size());
    for (const auto& [name, body] : objects) {
        snapshot.bodies.emplace_back(name, body != nullptr ? body->clone() : nullptr);
        copies.emplace_back(body, snapshot.bodies.back().second.get());
        if (body != nullptr) relink.add(body, snapshot.bodies.back().second.get());
    }
    relink.seal();
    attachCopies(copies, relink);
    // Each body's entry, by binary search over the entries sorted by the body's address.
    std::vector<std::pair<const GameObject*, std::size_t>> entries;
    entries.reserve(copies.size());
    for (std::size_t at = 0; at < copies.size(); ++at) entries.emplace_back(copies[at].first, at);
    std::sort(entries.begin(), entries.end());
    const auto entry = [&entries](const GameObject* body) {
        return std::lower_bound(entries.begin(), entries.end(), std::make_pair(body, std::size_t{0}))->second;
    };
    snapshot.drawOrder.reserve(drawList.size());
    for (const GameObject* body : drawList) snapshot.drawOrder.push_back(entry(body));
    snapshot.updateOrder.reserve(components.size());
    for (const UpdateOrder::Slot& slot : updateOrder.slots()) {
        if (slot.component == nullptr) continue;
        const auto& attached = slot.body->components;
        const auto named = std::find_if(attached.begin(), attached.end(),
                                        [&slot](const auto& item) { return item.second == slot.component; });
        assert(named != attached.end() && "an enrolled component is attached to its body");
        snapshot.updateOrder.emplace_back(entry(slot.body), named->first);
    }
    return snapshot;
}

// Bodies whose name and kind of shape survive take the saved state in place, and so do their
// components, so that going back a few ticks allocates only for what came or went since.
void SimulationManager::restoreWorld(const WorldSnapshot& snapshot)
{
    SortedRelink relink;
    std::vector<std::pair<const GameObject*, GameObject*>> copies;
    copies.reserve(snapshot.bodies.size());
    std::vector<bool> kept(snapshot.bodies.size());
    std::vector<GameObject*> gone;
    auto live = objects.begin();
    const auto leave = [this, &gone](ObjectMap::iterator at) {
        gone.push_back(at->second);
        return objects.erase(at);
    };
    for (std::size_t i = 0; i < snapshot.bodies.size(); ++i) {
        const auto& [name, saved] = snapshot.bodies[i];
        while (live != objects.end() && live->first < name) live = leave(live);
        GameObject* body = nullptr;
        // A body keeps its entry only as the same kind, which the registry's kind lists were filed by.
        if (live != objects.end() && live->first == name && saved != nullptr && live->second != nullptr &&
            live->second->kind == saved->kind && live->second->assignFrom(*saved)) {
            body = live->second;
            kept[i] = true;
            ++live;
        } else {
            if (live != objects.end() && live->first == name) live = leave(live);
            body = saved != nullptr ? saved->clone().release() : nullptr;
            objects[name] = body;
        }
        copies.emplace_back(saved.get(), body);
        if (body != nullptr) relink.add(saved.get(), body);
    }
    while (live != objects.end()) live = leave(live);
    relink.seal();

    std::vector<std::pair<const GameObject*, GameObject*>> fresh;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const auto& [saved, body] = copies[i];
        if (body == nullptr) continue;
        body->inDrawList = false;
        if (!kept[i] || !assignComponents(*body, *saved, relink)) {
            for (auto& [role, component] : body->components) delete component;
            body->components.clear();
            body->children.clear();
            fresh.emplace_back(saved, body);
            continue;
        }
        body->children.clear();
        for (const GameObject* child : saved->children) body->children.push_back(relink(child));
    }
    attachCopies(fresh, relink);
    for (GameObject* body : gone) delete body;

    // The orders again, in the list nodes they already have.
    drawList.resize(snapshot.drawOrder.size());
    moreDrawSlots.clear();
    auto place = drawList.begin();
    for (const std::size_t at : snapshot.drawOrder) {
        GameObject* body = copies[at].second;
        *place = body;
        if (body->inDrawList) {
            moreDrawSlots.emplace(body, place);
        } else {
            body->drawEntry = place;
            body->inDrawList = true;
        }
        ++place;
    }
    components.resize(snapshot.updateOrder.size());
    updateOrder.clear();
    auto entry = components.begin();
    for (const auto& [at, role] : snapshot.updateOrder) {
        GameObject* body = copies[at].second;
        Component* component = body->components.at(role);
        *entry = component;
        component->updateEntry = entry++;
        updateOrder.enrol(component, body);
    }
    nextComponentId = snapshot.nextComponentId;
}

void SimulationManager::updateAll()
{
    updateOrder.runAll();

    // Removal waits until every component has run, so that no component loses its body, or a
    // component behind it in the list, in the middle of the pass. One walk over the world finds both
    // the marked bodies and the parents they must be unhooked from; the marked go in name order.
    std::vector<Marked>& marked = removal.marked;
    std::vector<GameObject*>& parents = removal.parents;
    marked.clear();
    parents.clear();
    const std::vector<ObjectMap::iterator>& entries = objects.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 2 * kFetchAhead < entries.size()) __builtin_prefetch(&*entries[i + 2 * kFetchAhead]);
        if (i + kFetchAhead < entries.size()) __builtin_prefetch(entries[i + kFetchAhead]->second);
        GameObject* body = entries[i]->second;
        if (body == nullptr) continue;
        if (body->markedForRemoval) marked.push_back({entries[i], i});
        if (!body->children.empty()) parents.push_back(body);
    }
    if (marked.empty()) return;
    std::sort(marked.begin(), marked.end(), [](const Marked& a, const Marked& b) { return a.at->first < b.at->first; });
    std::vector<const GameObject*>& leaving = removal.leaving;
    leaving.clear();
    for (const Marked& body : marked) leaving.push_back(body.at->second);
    std::sort(leaving.begin(), leaving.end());
    for (GameObject* parent : parents) {
        parent->children.remove_if(
            [&leaving](const GameObject* child) { return std::binary_search(leaving.begin(), leaving.end(), child); });
    }
    for (std::size_t i = 0; i < marked.size(); ++i) {
        fetchAheadOfWithdrawal(i);
        withdraw(marked[i].at->second);
        objects.erase(marked[i].at, marked[i].entry);
    }
    updateOrder.compactIfSparse();
}

// Withdrawing chases pointers from each body to its components and its draw-list place: fetch the
// bodies two strides ahead of the one withdrawn, and what they point to one stride ahead.
void SimulationManager::fetchAheadOfWithdrawal(std::size_t withdrawn) const
{
    const std::vector<Marked>& marked = removal.marked;
    if (withdrawn + 2 * kFetchAhead < marked.size()) {
        fetchLines(&*marked[withdrawn + 2 * kFetchAhead].at, 1);
        fetchLines(marked[withdrawn + 2 * kFetchAhead].at->second, 4);
    }
    if (withdrawn + kFetchAhead >= marked.size()) return;
    const GameObject& ahead = *marked[withdrawn + kFetchAhead].at->second;
    if (!ahead.components.empty()) {
        fetchLines(&*ahead.components.begin(), 1);
        fetchLines(ahead.components.begin()->second, 1);
    }
    if (ahead.inDrawList) fetchLines(&*ahead.drawEntry, 1);
}

void SimulationManager::renderAll(Renderer& renderer)
{
    renderer.setUpFrame(camera);
    for (const GameObject* body : drawList) {
        if (!body->visible) continue;
        renderer.beginBody();
        body->draw(renderer);
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
    component->updateEntry = components.insert(components.end(), component);
    updateOrder.enrol(component, found->second);
}

void SimulationManager::removeObject(const std::string& name)
{
    const auto found = objects.find(name);
    if (found == objects.end()) return;
    // A parent never learns that its child went away; unhook the child here so no parent walks
    // a deleted body on its next move.
    for (auto& [otherName, other] : objects) other->children.remove(found->second);
    withdraw(found->second);
    objects.erase(found);
}

void SimulationManager::withdraw(GameObject* body)
{
    for (const auto& [componentName, component] : body->components) {
        if (component->updateIndex == Component::kNotEnrolled) continue;
        components.erase(component->updateEntry);
        updateOrder.withdraw(*component);
    }
    if (body->inDrawList) {
        drawList.erase(body->drawEntry);
        body->inDrawList = false;
        if (!moreDrawSlots.empty()) {
            const auto [first, last] = moreDrawSlots.equal_range(body);
            for (auto slot = first; slot != last; ++slot) drawList.erase(slot->second);
            moreDrawSlots.erase(first, last);
        }
    }
    delete body;
}

void SimulationManager::sortDrawList()
{
    for (GameObject* body : drawList) body->inDrawList = false;
    drawList.clear();
    moreDrawSlots.clear();
    for (const auto& [name, body] : objects) addToDrawList(body);
}

void SimulationManager::addToDrawList(GameObject* body)
{
    // In front of the first entry that is not farther away, so equal layers put the newest first.
    auto place = drawList.begin();
    while (place != drawList.end() && (*place)->layer > body->layer) ++place;
    const auto entry = drawList.insert(place, body);
    if (body->inDrawList) {
        moreDrawSlots.emplace(body, entry);
        return;
    }
    body->drawEntry = entry;
    body->inDrawList = true;
}
