#pragma once

#include <cstdint>
#include <functional>

#include "InputSource.h"
#include "PlayerSources.h"

// The input record of a match between any two sources: each player's part from its own source, or
// from this machine's keyboard (player 1) and mouse (player 2) where it has none; the window's own part
// always from this machine. Ends the match after a number of ticks, if given one.
class MatchSource : public InputSource {
public:
    // local may be null when neither player is local and there is no window (headless). The sources
    // may be null for local players. The match is what the sources see.
    MatchSource(const MySim& match, InputSource* local, PlayerSource* player1, PlayerSource* player2);

    TickInput next() override;

    // Ticks handed out so far.
    std::uint64_t ticksPlayed() const { return played; }
    // After this many ticks, the next call calls onEnd instead (0: never).
    std::uint64_t tickLimit = 0;
    // Meant to end the process; if it returns, the match goes on.
    std::function<void()> onEnd;

private:
    const MySim& match;
    InputSource* local;
    PlayerSource* player1;
    PlayerSource* player2;
    std::uint64_t played = 0;
};
