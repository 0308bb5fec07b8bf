#pragma once

#include <array>

#include "ArenaMap.h"
#include "MatchView.h"
#include "PlayerSteering.h"
#include "Rules.h"
#include "Vec2.h"

// What the computer player knows of the rules, and how it extrapolates motion from them.
namespace forecast {

// Ticks from a throw to the ball's last contact: its life is counted down to below 0.
constexpr int kBallTicks = rules::kBallLifetime + 1;
// How far a thrown ball's edge reaches a player's centre.
constexpr float kBallReach = rules::kBallSpeed * kBallTicks + rules::kBallRadius + rules::kPlayerRadius;

// The eight ways player 1 walks and throws, unit length, anticlockwise from east.
extern const std::array<Vec2, 8> kEightWays;

// Where a bullet will be after each of the next `ticks` ticks (out[0] one tick ahead), bouncing off
// the walls as the game bounces it.
void shotPath(const ShotView& shot, const ArenaMap& arena, int ticks, Vec2* out);

// Player 2 drifting on its aim without steering: where it will be after each of the next `ticks`
// ticks, stopping at walls.
void driftPath(const Vec2& position, Vec2 aim, const ArenaMap& arena, int ticks, Vec2* out);

// Distance from a point to the nearest of the four lines along which a player 1 at the origin can
// throw: the axes and the diagonals.
float offThrowLines(const Vec2& offset);

// Ticks until a bullet leaving `from` at speed meets a target now at `target` that moves by velocity
// each tick; negative if it never does.
float interceptTicks(const Vec2& from, float speed, const Vec2& target, const Vec2& velocity);

} // namespace forecast
