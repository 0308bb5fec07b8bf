#pragma once

#include <array>
#include <cstdint>

#include "MatchInput.h"
#include "Vec2.h"

// A hand on the keys or the mouse: what it can do from one tick to the next, whatever is asked of it.
namespace hand {

// Ticks a key or the button stays down once pressed, and up once released.
constexpr int kShortestPress = 5;

// Player 1's eight keys, each held and left at least kShortestPress ticks.
class Keys {
public:
    // The keys pressed this tick, as near to wanted as the hand allows.
    Player1Input press(Player1Input wanted);

private:
    Player1Input held;
    std::array<int, Player1Input::kKeys> since = [] {
        std::array<int, Player1Input::kKeys> all{};
        all.fill(kShortestPress);
        return all;
    }();
};

// A button held and left at least kShortestPress ticks.
class Button {
public:
    bool press(bool wanted);
    bool held() const { return down; }

private:
    bool down = false;
    int since = kShortestPress;
};

// Ticks after the pointer's motion turns back on itself before it can do so again: a hand swinging
// the mouse to and fro has a rhythm it cannot beat.
constexpr int kTurnBackTicks = 12;

// The pointer's motion in a tick (its offset from the centre, which the game re-centres every tick):
// no faster than speed pixels, changing by at most change pixels from the tick before, and turning
// back on itself no more often than every kTurnBackTicks ticks (it stops instead).
struct Pointer {
    int speed = 200;
    int change = 40;
    // The offset moved last tick.
    int x = 0;
    int y = 0;
    // The last motion that was not still, and ticks since the motion last turned back.
    int lastX = 0;
    int lastY = 0;
    int sinceTurn = kTurnBackTicks;

    // Moves towards wanted (pixels, y down) within the bounds, and remembers the move.
    void moveTowards(const Vec2& wanted);
};

} // namespace hand
