#pragma once

#include <cstdint>
#include <vector>

#include "MatchEvent.h"

// One run of one tick of a match and the events it produced. A match that goes back and runs ticks again (online
// play) runs some ticks more than once, and a later run may produce other events than an earlier one.
struct TickRun {
    std::uint32_t tick = 0;
    std::vector<MatchEvent> events;
};
