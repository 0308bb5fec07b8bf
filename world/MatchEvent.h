#pragma once

#include <cstdint>

#include "Vec2.h"

// Something that happened in a match, for whoever listens (sound): published by the match's own
// changes of state, never read back by it.
enum class MatchEventKind : std::uint8_t {
    BallThrown,      // player 1 throws its ball
    BulletFired,     // player 2 fires
    BulletBounced,   // a bullet bounces off a wall
    Player1Hit,      // a bullet hits player 1
    BulletDeflected, // the ball knocks a bullet back
    Player2Hit,      // a knocked-back bullet hits player 2
    WallScrape,      // player 2 touches a wall in this tick (one per tick of contact)
    PlayerDied,      // a player's health reaches 0
    PlayerRespawned, // a player reappears
};

struct MatchEvent {
    MatchEventKind kind;
    // Where it happened, world units.
    Vec2 position;
    // Which player it concerns (1 or 2), where that matters; 0 otherwise.
    int player = 0;
};
