#pragma once

#include "MatchInput.h"
#include "PlayerSteering.h"
#include "Rules.h"
#include "Vec2.h"

// Player 2's steering as the game applies it, for planning ahead: the pointer's offset from the
// window centre nudges the aim, which is capped, damped and then moved along every tick.
namespace steering {

// Farthest the bot puts the pointer from the centre, in pixels along each axis: inside the smallest
// usual window, so that a hand on a mouse could do the same.
constexpr int kPointerReach = 280;
// The fastest aim that survives a tick's damping.
constexpr float kTopSpeed = rules::kMaxAim * rules::kAimDamping;

// The aim after one tick with the pointer at (pointerX, pointerY), screen pixels (y down).
inline Vec2 nextAim(const Vec2& aim, int pointerX, int pointerY) { return steeredAim(aim, pointerX, pointerY); }

// The pointer offset within reach whose next aim lies nearest to want.
Player2Input pointerFor(const Vec2& aim, const Vec2& want);

} // namespace steering
