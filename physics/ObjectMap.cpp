#include "ObjectMap.h"

GameObject*& ObjectMap::operator[](const std::string& name)
{
    const auto [at, inserted] = bodies.try_emplace(name, nullptr);
    if (inserted) {
        recent.forgetName(name);
        recent.remember(name, at);
        entryArray.add(at);
    }
    kinds.registered(at);
    return at->second;
}

ObjectMap::iterator ObjectMap::searchAndRemember(const std::string& name) const
{
    return recent.remember(name, bodies.find(name));
}

ObjectMap::iterator ObjectMap::erase(iterator at, std::size_t entry)
{
    kinds.erasing(at);
    recent.forgetFound(at);
    entryArray.erase(entry, at, bodies.end());
    return bodies.erase(at);
}
