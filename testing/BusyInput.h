#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "MatchInput.h"

// Random input for both players that keeps a match busy (deaths and respawns, bullets and balls in flight):
// player 1's keys flip now and then, player 2 steers around the centre and holds the button most of the time.
class BusyInput {
public:
    explicit BusyInput(unsigned seed) : random(seed) {}
    TickInput next()
    {
        for (std::size_t key = 0; key < Player1Input::kKeys; ++key)
            if (random() % 12 == 0) held ^= static_cast<std::uint8_t>(1u << key);
        TickInput input;
        input.match.player1.keys = held;
        input.match.player2 = {static_cast<int>(random() % 61) - 30, static_cast<int>(random() % 61) - 30,
                               random() % 5 != 0, random() % 400 == 0};
        return input;
    }

private:
    std::mt19937 random;
    std::uint8_t held = 0;
};
