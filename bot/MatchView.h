#pragma once

#include <vector>

#include "ArenaMap.h"
#include "Vec2.h"

class MySim;

// One player as anyone watching sees it. A dead player is hidden: it has no place or motion then.
struct PlayerView {
    bool alive = false;
    Vec2 position;
    // World units per tick: player 2's aim; player 1's step since the last look.
    Vec2 velocity;
    int health = 0;
};

// One of player 2's bullets.
struct ShotView {
    Vec2 position;
    // World units per tick.
    Vec2 velocity;
    // Struck by player 1's ball: it now hurts player 2, and no longer player 1.
    bool knockedBack = false;
    // Ticks since it was fired, or since it was knocked back.
    int age = 0;
};

// Player 1's ball, while it flies.
struct BallView {
    bool inFlight = false;
    Vec2 position;
    Vec2 velocity;
    // Ticks it still flies after this one.
    int ticksLeft = 0;
};

// The match as a player sees it before a tick: the players, the bullets, the ball, the walls and the
// health shown on screen, and how long each player must still wait to throw or fire (which anyone can
// tell from when it last did).
struct MatchView {
    PlayerView player1;
    PlayerView player2;
    BallView ball;
    std::vector<ShotView> shots;
    // Ticks before the player may throw (1) or fire (2) again; 0: in this very tick.
    int player1Reload = 0;
    int player2Reload = 0;
};

// Looks at a match tick after tick, remembering what motion needs: where player 1 stood the last time.
class MatchWatcher {
public:
    // The match now. The vector of shots is reused from look to look.
    const MatchView& look(const MySim& match);

private:
    MatchView view;
    bool player1SeenBefore = false;
    Vec2 player1Before;
};

// The match's walls as polygons.
std::vector<WallOutline> wallsOf(const MySim& match);
