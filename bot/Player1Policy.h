#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ArenaMap.h"
#include "BotRandom.h"
#include "Hand.h"
#include "MatchInput.h"
#include "MatchView.h"
#include "Route.h"

// Player 1 played by the computer: it keeps a throwing distance from player 2 on the side away from
// the wall nearest behind it, going there by a route around the walls, and throws the ball when the
// ball will catch player 2 and carry it into that wall, or knock a bullet about to hit back towards
// player 2. It walks clear of the bullets it sees coming and of the line player 2 will fire along
// next, holding each key as a hand would.
class Player1Policy {
public:
    explicit Player1Policy(std::uint32_t seed);

    // This tick's keys, from the match as the bot believes it stands now.
    Player1Input decide(const MatchView& view, const ArenaMap& arena);

private:
    // The place to walk to: behind player 2, as seen from a wall beyond it.
    Vec2 chooseStation(const MatchView& view, const ArenaMap& arena);
    // Which of the eight ways to throw in now, or -1 for none.
    int chooseThrow(const MatchView& view, const ArenaMap& arena) const;
    // What walking one way (-1: standing) for the horizon costs: bullets met, the route's length left.
    float cost(const MatchView& view, const ArenaMap& arena, int way) const;

    BotRandom random;
    float stationRange;
    int ticksToRedraw = 0;
    // The way walked (-1: standing) and for how many ticks.
    int walkWay = -1;
    int walkTicks = 0;
    int ticksSinceThrow = 0;
    int ticks = 0;
    std::optional<RouteField> route;
    Progress progress;
    Vec2 detour;
    int detourTicks = 0;
    // Ticks in a row with no key down.
    int quietTicks = 0;
    hand::Keys keys;
    // The way the ball is meant to carry player 2, or -1.
    int shoveWay = -1;
    Vec2 station;
    // The bullets that can hurt player 1, and the shot player 2 has ready: a horizon's worth of
    // positions each. Player 2's drift, for as long as a ball flies.
    std::vector<Vec2> threatPaths;
    std::size_t realThreats = 0;
    std::vector<Vec2> player2Path;
};
