#include "Hand.h"

#include <cmath>

namespace hand {

Player1Input Keys::press(Player1Input wanted)
{
    for (std::size_t key = 0; key < Player1Input::kKeys; ++key) {
        const auto mask = static_cast<std::uint8_t>(1u << key);
        const bool down = (held.keys & mask) != 0;
        if (down != ((wanted.keys & mask) != 0) && since[key] >= kShortestPress) {
            held.keys ^= mask;
            since[key] = 0;
        }
        ++since[key];
    }
    return held;
}

bool Button::press(bool wanted)
{
    if (wanted != down && since >= kShortestPress) {
        down = wanted;
        since = 0;
    }
    ++since;
    return down;
}

void Pointer::moveTowards(const Vec2& wanted)
{
    const Vec2 from(static_cast<float>(x), static_cast<float>(y));
    Vec2 delta = wanted - from;
    const float most = static_cast<float>(change);
    const float turn = dot(delta, delta);
    if (turn > most * most) delta *= most / std::sqrt(turn);
    Vec2 next = from + delta;
    const float fastest = static_cast<float>(speed);
    const float fast = dot(next, next);
    if (fast > fastest * fastest) next *= fastest / std::sqrt(fast);
    const auto whole = [](float pixels) { return static_cast<int>(pixels + (pixels < 0.0f ? -0.5f : 0.5f)); };
    x = whole(next.x);
    y = whole(next.y);
    ++sinceTurn;
    if (x == 0 && y == 0) return;
    if (static_cast<long>(x) * lastX + static_cast<long>(y) * lastY < 0) {
        if (sinceTurn <= kTurnBackTicks) {
            x = 0;
            y = 0;
            return;
        }
        sinceTurn = 0;
    }
    lastX = x;
    lastY = y;
}

} // namespace hand
