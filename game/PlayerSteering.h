#pragma once

#include "Vec2.h"

// How the pointer steers player 2 (world units per tick, per pixel of pointer offset).
constexpr float kSteeringGain = 0.029f;
constexpr float kMaxAim = 12.0f; // world units per tick
constexpr float kAimDamping = 0.98f;

// Player 2's aim after one tick with the pointer at (pointerX, pointerY) pixels from the window centre
// (y down): nudged by the offset, capped, then damped.
inline Vec2 steeredAim(const Vec2& aim, int pointerX, int pointerY)
{
    // Screen y grows downwards and world y upwards.
    Vec2 next = aim + Vec2(static_cast<float>(pointerX) * kSteeringGain, static_cast<float>(pointerY) * -kSteeringGain);
    if (length(next) > kMaxAim) {
        normalise(next);
        next *= kMaxAim;
    }
    next *= kAimDamping;
    return next;
}
