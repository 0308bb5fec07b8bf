#pragma once

#include "MatchInput.h"

class MySim;

// Where one player's input comes from, tick by tick, when it is not this machine's keyboard or mouse:
// a computer player, a sparring partner, nobody. It sees the match as it stands before the tick and
// answers with a record of which only its own player's part is used.
class PlayerSource {
public:
    virtual ~PlayerSource() = default;
    // This tick's input for player (1 or 2).
    virtual MatchInput next(const MySim& match, int player) = 0;
};
