#pragma once

#include <cstdint>

// The computer player's own random numbers: a 32-bit xorshift started from its seed. It never touches
// the game's generator, whose sequence decides where the dead respawn.
class BotRandom {
public:
    // Every seed, 0 included, gives a usable sequence of its own.
    explicit BotRandom(std::uint32_t seed) : state(seed * 2654435761u ^ 0x9e3779b9u)
    {
        if (state == 0) state = 0x6d2b79f5u;
    }

    std::uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // From 0 up to, not including, 1.
    float uniform() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    // From low up to high.
    float between(float low, float high) { return low + (high - low) * uniform(); }

private:
    std::uint32_t state;
};
