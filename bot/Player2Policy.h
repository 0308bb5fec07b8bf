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
#include "Skill.h"

// Player 2 played by the computer: it keeps a firing distance from player 1 with a clear line to it,
// off the lines player 1 throws along, and goes there by a route around the walls; steers around the
// walls, bullets knocked back at it and the ball, looking a few ticks ahead with its own model of its
// hand on the mouse; and holds the button while its aim leads player 1 by the bullet's flight.
class Player2Policy {
public:
    Player2Policy(std::uint32_t seed, const Skill& skill);

    // This tick's pointer motion and button, from the match as the bot believes it stands now.
    Player2Input decide(const MatchView& view, const ArenaMap& arena);

private:
    // The point to keep to, on a ring around player 1.
    Vec2 chooseStation(const MatchView& view, const ArenaMap& arena);
    // Where a shot fired now should go, and whether one should go at all.
    bool chooseTarget(const MatchView& view, const ArenaMap& arena, Vec2& target) const;
    // The aim that homes in on the next point of the route from a point, slowing as it nears.
    Vec2 arrival(const Vec2& from) const;
    // What holding want (or homing in) for the horizon costs: walls touched or grazed, threats met,
    // the route's length left. Gives up on reaching bound, returning what it has so far.
    float cost(const MatchView& view, const ArenaMap& arena, Vec2 want, bool homing, float bound) const;
    // Somewhere else to go for a while, when the route leads nowhere.
    Vec2 detourFrom(const Vec2& self, const ArenaMap& arena);

    BotRandom random;
    Skill skill;
    // Chosen for a while, then drawn again.
    float stationRange;
    float orbit;
    int ticksToRedraw = 0;
    bool stationChosen = false;
    Vec2 station;
    Vec2 heading;
    Vec2 lastWant;
    std::optional<RouteField> route;
    Progress progress;
    Vec2 detour;
    int detourTicks = 0;
    int ticks = 0;
    // Ticks in a row with the pointer still and the button up.
    int quietTicks = 0;
    hand::Pointer pointer;
    hand::Button button;
    // This tick's threats, a horizon's worth of positions each, and how close each may come.
    std::vector<Vec2> threatPaths;
    std::vector<float> threatReach;
    std::vector<Vec2> player1Path;
};
