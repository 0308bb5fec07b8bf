#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

// Every entry of a registry, in no particular order, as an array that a pass over the whole world can
// run through without chasing tree nodes. An erasure leaves a hole (the value `hole`, which the owner
// chooses: its end()) that the next read of all() closes, so that erasing a batch of entries found by
// position keeps the others' positions until then.
template <typename Iterator> class EntryArray {
public:
    void add(Iterator at) { entries.push_back(at); }
    // Where at is in the array: a search, for callers that do not know its position.
    std::size_t positionOf(Iterator at) const
    {
        return static_cast<std::size_t>(std::find(entries.begin(), entries.end(), at) - entries.begin());
    }
    // Leaves a hole at position, which must hold at.
    void erase(std::size_t position, Iterator at, Iterator hole)
    {
        assert(position < entries.size() && entries[position] == at);
        static_cast<void>(at);
        entries[position] = hole;
        ++holes;
    }
    // Every entry, holes closed.
    const std::vector<Iterator>& all(Iterator hole) const
    {
        if (holes != 0) {
            entries.erase(std::remove(entries.begin(), entries.end(), hole), entries.end());
            holes = 0;
        }
        return entries;
    }

private:
    // mutable: the holes are closed behind a const read.
    mutable std::vector<Iterator> entries;
    mutable std::size_t holes = 0;
};
