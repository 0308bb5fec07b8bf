#include "Steering.h"

#include <algorithm>
#include <cmath>

namespace steering {

Player2Input pointerFor(const Vec2& aim, const Vec2& want)
{
    // Undo the damping and the gain; the cap only bites on a want faster than kTopSpeed.
    const Vec2 nudge = want * (1.0f / rules::kAimDamping) - aim;
    const auto pixels = [](float units) {
        const float rounded = std::round(units / rules::kSteeringGain);
        return static_cast<int>(
            std::clamp(rounded, static_cast<float>(-kPointerReach), static_cast<float>(kPointerReach)));
    };
    Player2Input pointer;
    pointer.pointerX = pixels(nudge.x);
    pointer.pointerY = -pixels(nudge.y);
    return pointer;
}

} // namespace steering
