#pragma once

#include <cstdint>
#include <vector>

#include "ArenaMap.h"
#include "BotRandom.h"
#include "MatchInput.h"
#include "MatchView.h"

// Player 2 played by the computer: it keeps a firing distance from player 1 with a clear line to it,
// off the lines player 1 throws along; steers around the walls, bullets knocked back at it and the
// ball, looking a few ticks ahead with its own model of the steering; and fires where player 1 will be
// when the bullet arrives, turning its aim onto that point for the tick of the shot.
class Player2Policy {
public:
    explicit Player2Policy(std::uint32_t seed);

    // This tick's pointer offset and button.
    Player2Input decide(const MatchView& view, const ArenaMap& arena);

private:
    // One way of steering for the next few ticks: the aim held, and whether the first tick fires.
    struct Plan {
        Vec2 want;
        bool fire = false;
    };

    // The point to keep to, on a ring around player 1.
    Vec2 chooseStation(const MatchView& view, const ArenaMap& arena);
    // Where a shot fired now should go, and whether one should go at all.
    bool chooseTarget(const MatchView& view, const ArenaMap& arena, Vec2& direction);
    // The aim that homes in on the station from a point, slowing as it nears.
    Vec2 arrival(const Vec2& from) const;
    // What holding want (or homing in on the station) for the horizon costs: walls touched or grazed,
    // threats met, the station missed. Gives up on reaching bound, returning what it has so far.
    float cost(const MatchView& view, const ArenaMap& arena, Vec2 want, bool homing, float bound) const;

    BotRandom random;
    // Chosen for a while, then drawn again.
    float stationRange;
    int reactionTicks = 0;
    float orbit;
    int ticksToRedraw = 0;
    bool stationChosen = false;
    Vec2 station;
    Vec2 lastWant;
    // This tick's threats, a horizon's worth of positions each, and how close each may come.
    std::vector<Vec2> threatPaths;
    std::vector<float> threatReach;
    std::vector<Vec2> player1Path;
};
