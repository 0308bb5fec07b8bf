#pragma once

#include <cstddef>
#include <string>

// The answers to the last few look-ups by name in a registry. Components and the game look up the same
// few names for every bullet, and a new body's name right after registering it; remembering the last
// answers turns those into a string compare. The owner keeps it true: a registration changes only what
// its own name finds (forgetName), and an erasure only what finds its entry (forgetFound).
template <typename Iterator> class RecentLookups {
public:
    // The remembered answer for name, or nullptr when there is none.
    const Iterator* find(const std::string& name) const
    {
        for (const Lookup& memo : recent) {
            if (memo.known && memo.name == name) return &memo.found;
        }
        return nullptr;
    }
    // Remembers found for name in place of the oldest answer; returns found.
    Iterator remember(const std::string& name, Iterator found)
    {
        Lookup& memo = recent[next];
        next = (next + 1) % kRemembered;
        memo = {name, found, true};
        return found;
    }
    void forgetName(const std::string& name)
    {
        for (Lookup& memo : recent) memo.known = memo.known && memo.name != name;
    }
    void forgetFound(Iterator at)
    {
        for (Lookup& memo : recent) memo.known = memo.known && memo.found != at;
    }

private:
    static constexpr std::size_t kRemembered = 4;
    struct Lookup {
        std::string name;
        Iterator found;
        bool known = false;
    };
    Lookup recent[kRemembered];
    std::size_t next = 0;
};
