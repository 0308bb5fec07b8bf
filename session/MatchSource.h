#pragma once

#include "InputSource.h"
#include "PlayerSource.h"

class MySim;

// The input record of a match between any two player sources: each player's part from its own source, or
// from this machine's keyboard (player 1) and mouse (player 2) where it has none; the window's own part
// always from this machine.
class MatchSource : public InputSource {
public:
    // The sources may be null for players on this machine's devices; the match is what the sources see.
    MatchSource(const MySim& match, PlayerSource* player1, PlayerSource* player2)
        : match(match), player1(player1), player2(player2)
    {
    }

    TickInput next(const TickInput& devices) override;

private:
    const MySim& match;
    PlayerSource* player1;
    PlayerSource* player2;
};
