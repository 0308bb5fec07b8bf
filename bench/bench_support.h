#pragma once

#include <fstream>
#include <iostream>

// What the benchmarks share.

// Bullet lifetime in ticks, and the angle (radians) between successive shots that spreads them
// evenly round the circle.
constexpr int kBulletLifeTicks = 51;
constexpr float kGoldenAngle = 2.39996323f;

// The game's console lines go to /dev/null while it runs, through the same stream calls and flushes.
class ConsoleToNull {
public:
    ConsoleToNull() : saved(std::cout.rdbuf(sink.rdbuf())) {}
    ~ConsoleToNull() { std::cout.rdbuf(saved); }

private:
    std::ofstream sink{"/dev/null"};
    std::streambuf* saved;
};
