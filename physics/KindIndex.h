#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class GameObject;

// The registered bodies of each kind that has been asked for, in name order, kept exactly what a scan of
// the registry would find. Every bullet asks for the walls every tick, and a scan of the whole world per
// bullet would make a tick's cost grow with the square of the bullets. It also counts the changes that
// could alter what the lists hold or where their polygons lie, so that a cache built from them (the
// walls' boxes) knows when it is stale.
//
// It does not see a body's kind changed after registration, nor a filled entry overwritten through a
// kept reference or iterator.
class KindIndex {
public:
    using BodyMap = std::map<std::string, GameObject*>;

    // An entry was made or handed out for writing; its body is stored after the registry returns, so it
    // is filed at the next question. Until a kind is asked for, there is nothing to file into.
    void registered(BodyMap::iterator at)
    {
        if (!kinds.empty()) unfiled.push_back(at);
    }
    // The entry at is about to be erased; its body may already be deleted.
    void erasing(BodyMap::iterator at);

    // Every body filed or erased and every move of a filed polygon; equal counts mean nothing changed.
    std::uint64_t changeCount() const
    {
        if (!unfiled.empty()) fileNewEntries();
        return changes;
    }

    // The bodies of bodies whose kind is kind, in name order.
    const std::vector<GameObject*>& ofKind(std::uint16_t kind, const BodyMap& bodies) const
    {
        // Asked for every bullet in a tick while nothing comes or goes: answer from the last list.
        if (lastKind != nullptr && lastKindValue == kind && unfiled.empty() && !lastKind->stale)
            return lastKind->inNameOrder;
        return refreshKind(kind, bodies);
    }

private:
    struct OfOneKind {
        std::map<std::string, GameObject*> byName;
        std::vector<GameObject*> inNameOrder;
        bool stale = false;
    };

    const std::vector<GameObject*>& refreshKind(std::uint16_t kind, const BodyMap& bodies) const;
    // Files the entries registered since the last call into the lists.
    void fileNewEntries() const;
    // Counts a body as filed, and has a polygon count its moves here.
    void watch(GameObject* body) const;

    // mutable: the lists are a cache behind const questions.
    mutable std::vector<BodyMap::iterator> unfiled;
    mutable std::map<std::uint16_t, OfOneKind> kinds;
    mutable std::uint64_t changes = 0;
    mutable const OfOneKind* lastKind = nullptr;
    mutable std::uint16_t lastKindValue = 0;
};
