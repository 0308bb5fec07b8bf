#include "Steering.h"

#include <cmath>

namespace steering {

namespace {
// Of the motion that would reach the wanted aim at once, what the hand asks for each tick.
constexpr float kFollow = 0.5f;
// A motion asked for smaller than this (pixels) is left undone: a hand holds still rather than twitch.
constexpr float kStill = 10.0f;
} // namespace

Vec2 pointerFor(const Vec2& aim, const Vec2& want)
{
    // Undo the damping and the gain; the cap only bites on a want faster than kTopSpeed.
    const Vec2 nudge = (want * (1.0f / rules::kAimDamping) - aim) * (1.0f / rules::kSteeringGain);
    return Vec2(nudge.x, -nudge.y);
}

Vec2 steer(hand::Pointer& pointer, const Vec2& aim, const Vec2& want)
{
    const Vec2 needed = pointerFor(aim, want);
    // Half of what is needed, but no faster than the hand can slow down again before the aim gets
    // there (v^2 = 2 a d, with v half of d from 8 a on), and nothing when that is too little to bother.
    const float neededSquared = dot(needed, needed);
    const float change = static_cast<float>(pointer.change);
    Vec2 wanted;
    if (neededSquared >= 4.0f * kStill * kStill) {
        wanted = neededSquared > 64.0f * change * change ? needed * std::sqrt(2.0f * change / std::sqrt(neededSquared))
                                                         : needed * kFollow;
    }
    pointer.moveTowards(wanted);
    return nextAim(aim, pointer.x, pointer.y);
}

} // namespace steering
