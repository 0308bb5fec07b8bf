#pragma once

#include "Rules.h"
#include "Vec2.h"

// Player 2's aim after one tick with the pointer at (pointerX, pointerY) pixels from the window centre
// (y down): nudged by the offset, capped, then damped.
inline Vec2 steeredAim(const Vec2& aim, int pointerX, int pointerY)
{
    // Screen y grows downwards and world y upwards.
    Vec2 next = aim + Vec2(static_cast<float>(pointerX) * rules::kSteeringGain,
                           static_cast<float>(pointerY) * -rules::kSteeringGain);
    if (length(next) > rules::kMaxAim) {
        normalise(next);
        next *= rules::kMaxAim;
    }
    next *= rules::kAimDamping;
    return next;
}
