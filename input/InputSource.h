#pragma once

#include "MatchInput.h"

// Where a tick's input record comes from: the local keyboard and mouse, a replay, a script, a
// computer player or a network peer. The match reads nothing else.
class InputSource {
public:
    virtual ~InputSource() = default;
    // The record for the next tick; called once per tick, as the tick begins.
    virtual TickInput next() = 0;
};
