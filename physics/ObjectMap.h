#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class GameObject;

// Registered bodies by unique name, iterated in name order: the simulation owns them, everyone else
// looks them up. It reads like the ordered map it wraps, and adds what every tick needs cheaply:
// repeated look-ups of the same few names, and the bodies of one kind in name order.
//
// Bodies are registered with `objects[name] = body` (a new entry may also be filled later, through
// the reference operator[] gave) and withdrawn with erase. The kind index does not see a body's kind
// changed after registration, nor a filled entry overwritten through a kept reference or iterator.
class ObjectMap {
public:
    using Map = std::map<std::string, GameObject*>;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;
    using value_type = Map::value_type;

    ObjectMap() = default;
    // Remembered look-ups hold iterators into this very map.
    ObjectMap(const ObjectMap&) = delete;
    ObjectMap& operator=(const ObjectMap&) = delete;

    GameObject*& operator[](const std::string& name);
    iterator find(const std::string& name) { return lookUp(name); }
    const_iterator find(const std::string& name) const { return lookUp(name); }
    std::size_t count(const std::string& name) const { return find(name) != end() ? 1 : 0; }
    iterator erase(iterator at);
    // The same, for an entry found at `entry` in entries(): no search for it. Other positions stay
    // as they were until entries() is next called.
    iterator erase(iterator at, std::size_t entry);

    iterator begin() { return bodies.begin(); }
    iterator end() { return bodies.end(); }
    const_iterator begin() const { return bodies.begin(); }
    const_iterator end() const { return bodies.end(); }
    std::size_t size() const { return bodies.size(); }
    bool empty() const { return bodies.empty(); }

    // Every entry, in no particular order, as an array that a pass over the whole world can run
    // through without chasing tree nodes.
    const std::vector<iterator>& entries() const
    {
        if (erasedEntries != 0) closeErasedEntries();
        return everyEntry;
    }

    // Counts the changes that could alter what the kind lists hold or where their polygons lie: every
    // body filed or erased, and every move of a filed polygon. Equal counts mean nothing changed.
    std::uint64_t changeCount() const
    {
        if (!unfiled.empty()) fileNewEntries();
        return changes;
    }

    // The registered bodies whose kind is `kind`, in name order: what a scan of the whole map would
    // find, kept up to date as bodies come and go.
    const std::vector<GameObject*>& ofKind(std::uint16_t kind) const
    {
        // Asked for every bullet in a tick while nothing comes or goes: answer from the last index.
        if (lastKind != nullptr && lastKindValue == kind && unfiled.empty() && !lastKind->stale)
            return lastKind->inNameOrder;
        return refreshKind(kind);
    }

private:
    struct KindIndex {
        std::map<std::string, GameObject*> byName;
        std::vector<GameObject*> inNameOrder;
        bool stale = false;
    };
    struct Lookup {
        std::string name;
        iterator found;
        bool known = false;
    };

    const std::vector<GameObject*>& refreshKind(std::uint16_t kind) const;
    // Files the entries registered since the last call into the kind indexes.
    void fileNewEntries() const;
    // Components and the game look up the same few names for every bullet, and a new body's name
    // right after registering it; remembering the last few answers turns those into a string compare.
    // A registration changes only what its own name finds, and an erasure only what finds its entry.
    iterator lookUp(const std::string& name) const
    {
        for (const Lookup& memo : recent) {
            if (memo.known && memo.name == name) return memo.found;
        }
        return remember(name, bodies.find(name));
    }
    iterator remember(const std::string& name, iterator found) const;
    void closeErasedEntries() const;
    // Counts a body in the kind indexes, and has a polygon count its moves here.
    void watch(GameObject* body) const;

    // mutable: the look-up memo and the kind indexes are caches behind const queries.
    mutable Map bodies;
    mutable Lookup recent[4];
    mutable std::size_t nextRecent = 0;
    // Erased entries leave holes (end()) that the next call of entries() closes, so that erasing a
    // batch found by position keeps the others' positions.
    mutable std::vector<iterator> everyEntry;
    mutable std::size_t erasedEntries = 0;
    // Entries created by operator[] and not yet filed; their bodies are assigned after the call.
    mutable std::vector<iterator> unfiled;
    mutable std::map<std::uint16_t, KindIndex> kinds;
    mutable std::uint64_t changes = 0;
    mutable const KindIndex* lastKind = nullptr;
    mutable std::uint16_t lastKindValue = 0;
};
