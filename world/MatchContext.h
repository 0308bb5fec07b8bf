#pragma once

#include <ostream>
#include <vector>

#include "MatchEvent.h"
#include "ObjectMap.h"
#include "PolygonBoxes.h"

// What the behaviours of one match share beyond their own bodies: handed to them by the match, so
// that nothing of a match lives outside it.
struct MatchContext {
    // Every registered body, by name.
    ObjectMap* objects = nullptr;
    // The walls' boxes, swept by every bullet; refreshed before each use.
    PolygonBoxes* wallBoxes = nullptr;
    // Where the match's console lines go.
    std::ostream* console = nullptr;
    // What happened in the current tick, in order.
    std::vector<MatchEvent>* events = nullptr;

    void publish(MatchEventKind kind, const Vec2& position, int player = 0) const
    {
        events->push_back({kind, position, player});
    }
};
