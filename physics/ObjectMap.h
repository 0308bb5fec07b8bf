#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "EntryArray.h"
#include "KindIndex.h"
#include "RecentLookups.h"

class GameObject;

// Registered bodies by unique name, iterated in name order: the simulation owns them, everyone else
// looks them up. It reads like the ordered map it wraps; what every tick needs cheaply sits beside it,
// each behind its own small interface: the last few look-ups (RecentLookups), every entry as an array
// (EntryArray) and the bodies of one kind in name order (KindIndex).
//
// Bodies are registered with `objects[name] = body` (a new entry may also be filled later, through
// the reference operator[] gave) and withdrawn with erase.
class ObjectMap {
public:
    using Map = KindIndex::BodyMap;
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
    iterator erase(iterator at) { return erase(at, entryArray.positionOf(at)); }
    // The same, for an entry found at `entry` in entries(): no search for it. Other positions stay
    // as they were until entries() is next called.
    iterator erase(iterator at, std::size_t entry);

    iterator begin() { return bodies.begin(); }
    iterator end() { return bodies.end(); }
    const_iterator begin() const { return bodies.begin(); }
    const_iterator end() const { return bodies.end(); }
    std::size_t size() const { return bodies.size(); }
    bool empty() const { return bodies.empty(); }

    // Every entry, in no particular order, as an array.
    const std::vector<iterator>& entries() const { return entryArray.all(bodies.end()); }
    // See KindIndex.
    std::uint64_t changeCount() const { return kinds.changeCount(); }
    // The registered bodies whose kind is `kind`, in name order.
    const std::vector<GameObject*>& ofKind(std::uint16_t kind) const { return kinds.ofKind(kind, bodies); }

private:
    iterator lookUp(const std::string& name) const
    {
        if (const iterator* known = recent.find(name)) return *known;
        return searchAndRemember(name);
    }
    // The miss, kept out of line so that every caller's copy of the hit stays small.
    iterator searchAndRemember(const std::string& name) const;

    // mutable: look-ups through a const registry are remembered, and hand out entries to write.
    mutable Map bodies;
    mutable RecentLookups<iterator> recent;
    EntryArray<iterator> entryArray;
    KindIndex kinds;
};
