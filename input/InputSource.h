#pragma once

#include "MatchInput.h"

// Where a match's tick records come from: this machine's devices with some players' parts from their own
// sources, a recorder in front of another source, a script. The match reads nothing else.
class InputSource {
public:
    virtual ~InputSource() = default;
    // The record for the next tick, given this machine's devices as a record of their own; called once per
    // tick, as the tick begins.
    virtual TickInput next(const TickInput& devices) = 0;
};
