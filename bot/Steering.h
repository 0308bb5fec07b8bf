#pragma once

#include "Hand.h"
#include "MatchInput.h"
#include "PlayerSteering.h"
#include "Rules.h"
#include "Vec2.h"

// Player 2's steering as the game applies it, and as the bot's hand works it, for planning ahead: the
// pointer's motion nudges the aim, which is capped, damped and then moved along every tick.
namespace steering {

// The fastest aim that survives a tick's damping.
constexpr float kTopSpeed = rules::kMaxAim * rules::kAimDamping;

// The aim after one tick with the pointer at (pointerX, pointerY), screen pixels (y down).
inline Vec2 nextAim(const Vec2& aim, int pointerX, int pointerY) { return steeredAim(aim, pointerX, pointerY); }

// The pointer motion, pixels (y down, not rounded or bounded), whose next aim is want.
Vec2 pointerFor(const Vec2& aim, const Vec2& want);

// One tick of the hand steering from aim towards want: it asks for part of the way at a time, which
// a hand that cannot jump follows without swinging past. Moves pointer; returns the next aim.
Vec2 steer(hand::Pointer& pointer, const Vec2& aim, const Vec2& want);

} // namespace steering
