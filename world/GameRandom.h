#pragma once

#include <array>
#include <cstdint>

// The game's random numbers, owned by its match so that the match can be copied, saved and run beside
// another: the same additive generator as the C library's rand() (31 words, taps 3 apart, seeded the
// same way), so that a fresh match draws exactly the sequence an unseeded rand() gives.
class GameRandom {
public:
    explicit GameRandom(std::uint32_t seed = 1);

    // The next number, from 0 to 2^31 - 1.
    int next();

    bool operator==(const GameRandom& other) const
    {
        return words == other.words && front == other.front && rear == other.rear;
    }

private:
    static constexpr int kWords = 31;
    static constexpr int kTapDistance = 3;
    std::array<std::uint32_t, kWords> words{};
    int front = kTapDistance;
    int rear = 0;
};
