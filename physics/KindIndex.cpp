#include "KindIndex.h"

#include <algorithm>

#include "GameObject.h"
#include "Poly.h"

void KindIndex::erasing(BodyMap::iterator at)
{
    // The body behind at may already be deleted (withdrawals delete it first), so it must not be filed: a
    // restored match erases bodies that were registered anew and never filed.
    unfiled.erase(std::remove(unfiled.begin(), unfiled.end(), at), unfiled.end());
    fileNewEntries();
    for (auto& [kind, list] : kinds) {
        if (list.byName.erase(at->first) != 0) list.stale = true;
    }
    ++changes;
}

void KindIndex::fileNewEntries() const
{
    // Entries still empty stay for later, in place, so that the list keeps its storage.
    std::size_t stillEmpty = 0;
    for (const BodyMap::iterator at : unfiled) {
        GameObject* body = at->second;
        if (body == nullptr) {
            unfiled[stillEmpty++] = at;
            continue;
        }
        watch(body);
        for (auto& [kind, list] : kinds) {
            if (body->kind == kind) {
                list.byName[at->first] = at->second;
                list.stale = true;
            } else if (list.byName.erase(at->first) != 0) {
                list.stale = true;
            }
        }
    }
    unfiled.resize(stillEmpty);
}

void KindIndex::watch(GameObject* body) const
{
    ++changes;
    if (body->shapeType == ShapeType::Poly) static_cast<Poly*>(body)->boundsClock = &changes;
}

const std::vector<GameObject*>& KindIndex::refreshKind(std::uint16_t kind, const BodyMap& bodies) const
{
    const auto [at, created] = kinds.try_emplace(kind);
    OfOneKind& list = at->second;
    if (created) {
        for (const auto& [name, body] : bodies) {
            if (body == nullptr) continue;
            watch(body);
            if (body->kind == kind) list.byName[name] = body;
        }
        list.stale = true;
    }
    fileNewEntries();
    if (list.stale) {
        list.inNameOrder.clear();
        for (const auto& [name, body] : list.byName) list.inNameOrder.push_back(body);
        list.stale = false;
    }
    lastKind = &list;
    lastKindValue = kind;
    return list.inNameOrder;
}
