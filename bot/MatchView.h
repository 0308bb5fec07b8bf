#pragma once

#include <cstdint>
#include <vector>

#include "ArenaMap.h"
#include "Vec2.h"

class MySim;

// One player as anyone watching sees it. A dead player, or one off screen, is hidden: it has no place
// or motion then.
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
    // Ticks since it was first seen, or since it was seen knocked back.
    int age = 0;
};

// Player 1's ball, while it flies and shows.
struct BallView {
    bool inFlight = false;
    Vec2 position;
    Vec2 velocity;
    // Ticks it still flies after this one, reckoned from when it was thrown.
    int ticksLeft = 0;
};

// The match as a player sees it on screen before a tick: the players, the bullets, the ball and the
// health shown. How long each player must still wait to throw or fire is reckoned, as a person
// would, from when its last ball or bullet appeared.
struct MatchView {
    PlayerView player1;
    PlayerView player2;
    BallView ball;
    std::vector<ShotView> shots;
    // Ticks before the player may throw (1) or fire (2) again, as reckoned; 0: in this very tick.
    int player1Reload = 0;
    int player2Reload = 0;
};

// Looks at a match tick after tick through the camera's view of it, and hands back what it saw a
// fixed number of ticks before: a person's delay between the screen and the hand.
class MatchWatcher {
public:
    explicit MatchWatcher(int delayTicks = 0);

    // The match as it stood delayTicks looks ago (as it first stood, before that many looks).
    const MatchView& look(const MySim& match);

    int delay() const { return static_cast<int>(seen.size()) - 1; }

private:
    // Fills view with what the screen shows now.
    void see(const MySim& match, MatchView& view);

    // The last delay + 1 views, oldest overwritten first.
    std::vector<MatchView> seen;
    std::int64_t looks = 0;
    bool player1SeenBefore = false;
    Vec2 player1Before;
    // The ball as last seen, and the look on which it was thrown.
    bool ballSeenBefore = false;
    Vec2 ballBefore;
    std::int64_t thrownAt = -1000;
    // Each bullet seen: its number, the look it first showed (or showed knocked back), and whether it was.
    struct ShotSeen {
        int number = 0;
        std::int64_t since = 0;
        bool knockedBack = false;
        bool present = false;
    };
    std::vector<ShotSeen> shotsSeen;
    int newestShot = 0;
    std::int64_t firedAt = -1000;
};

// The match's walls as polygons.
std::vector<WallOutline> wallsOf(const MySim& match);
