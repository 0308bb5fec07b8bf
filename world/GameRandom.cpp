#include "GameRandom.h"

GameRandom::GameRandom(std::uint32_t seed)
{
    // A zero seed would leave every word zero.
    std::int32_t word = seed == 0 ? 1 : static_cast<std::int32_t>(seed);
    words[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < kWords; ++i) {
        // 16807 * word mod (2^31 - 1), without overflowing 32 bits (Schrage's method).
        const std::int32_t high = word / 127773;
        const std::int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) word += 2147483647;
        words[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(word);
    }
    // The first ten rounds mix the linear start away.
    for (int i = 0; i < 10 * kWords; ++i) next();
}

int GameRandom::next()
{
    std::uint32_t& sum = words[static_cast<std::size_t>(front)];
    sum += words[static_cast<std::size_t>(rear)];
    front = front + 1 == kWords ? 0 : front + 1;
    rear = rear + 1 == kWords ? 0 : rear + 1;
    return static_cast<int>(sum >> 1);
}
