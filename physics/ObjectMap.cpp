#include "ObjectMap.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "GameObject.h"
#include "Poly.h"

GameObject*& ObjectMap::operator[](const std::string& name)
{
    const auto [at, inserted] = bodies.try_emplace(name, nullptr);
    if (inserted) {
        for (Lookup& memo : recent) memo.known = memo.known && memo.name != name;
        remember(name, at);
        everyEntry.push_back(at);
    }
    // Filed later: the caller stores the body only after this returns. Until a kind is asked for,
    // there is nothing to file into.
    if (!kinds.empty()) unfiled.push_back(at);
    return at->second;
}

ObjectMap::iterator ObjectMap::remember(const std::string& name, iterator found) const
{
    Lookup& memo = recent[nextRecent];
    nextRecent = (nextRecent + 1) % std::size(recent);
    memo = {name, found, true};
    return found;
}

// Only whole-world operations erase without a position, so the search costs no more than they do.
ObjectMap::iterator ObjectMap::erase(iterator at)
{
    const auto entry = std::find(everyEntry.begin(), everyEntry.end(), at);
    return erase(at, static_cast<std::size_t>(entry - everyEntry.begin()));
}

ObjectMap::iterator ObjectMap::erase(iterator at, std::size_t entry)
{
    assert(entry < everyEntry.size() && everyEntry[entry] == at);
    // The body behind `at` may already be deleted (withdrawals delete it first), so it must not be filed: a
    // restored match erases bodies that were registered anew and never filed.
    unfiled.erase(std::remove(unfiled.begin(), unfiled.end(), at), unfiled.end());
    fileNewEntries();
    for (auto& [kind, index] : kinds) {
        if (index.byName.erase(at->first) != 0) index.stale = true;
    }
    for (Lookup& memo : recent) memo.known = memo.known && memo.found != at;
    ++changes;
    everyEntry[entry] = bodies.end();
    ++erasedEntries;
    return bodies.erase(at);
}

void ObjectMap::closeErasedEntries() const
{
    everyEntry.erase(std::remove(everyEntry.begin(), everyEntry.end(), bodies.end()), everyEntry.end());
    erasedEntries = 0;
}

void ObjectMap::fileNewEntries() const
{
    // Entries still empty stay for later, in place, so that the list keeps its storage.
    std::size_t stillEmpty = 0;
    for (const iterator at : unfiled) {
        GameObject* body = at->second;
        if (body == nullptr) {
            unfiled[stillEmpty++] = at;
            continue;
        }
        watch(body);
        for (auto& [kind, index] : kinds) {
            if (body->kind == kind) {
                index.byName[at->first] = at->second;
                index.stale = true;
            } else if (index.byName.erase(at->first) != 0) {
                index.stale = true;
            }
        }
    }
    unfiled.resize(stillEmpty);
}

void ObjectMap::watch(GameObject* body) const
{
    ++changes;
    if (body->shapeType == ShapeType::Poly) static_cast<Poly*>(body)->boundsClock = &changes;
}

const std::vector<GameObject*>& ObjectMap::refreshKind(std::uint16_t kind) const
{
    const auto [at, created] = kinds.try_emplace(kind);
    KindIndex& index = at->second;
    if (created) {
        for (const auto& [name, body] : bodies) {
            if (body == nullptr) continue;
            watch(body);
            if (body->kind == kind) index.byName[name] = body;
        }
        index.stale = true;
    }
    fileNewEntries();
    if (index.stale) {
        index.inNameOrder.clear();
        for (const auto& [name, body] : index.byName) index.inNameOrder.push_back(body);
        index.stale = false;
    }
    lastKind = &index;
    lastKindValue = kind;
    return index.inNameOrder;
}
