#include <benchmark/benchmark.h>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>

#include "MySim.h"
#include "Rules.h"
#include "ScriptedMatch.h"
#include "bench_support.h"

// Update ticks of the real game, stepped as the update timer steps them, behind a scripted window.
namespace {

struct Arena {
    Arena() { match.init(); }
    ConsoleToNull quiet;
    ScriptedMatch match{std::cout};
    MySim* game = &match.game;
    Engine* engine = &match.engine;
};

void idleTick(benchmark::State& state)
{
    Arena arena;
    for (auto _ : state) arena.engine->updateTick();
}
BENCHMARK(idleTick);

// Player 2's bullets fired every tick at `rate` per bullet lifetime, in directions spread round the
// circle, so that about as many leave each tick (by age or by a third wall) as are fired.
void steadyFire(benchmark::State& state)
{
    const double perTick = static_cast<double>(state.range(0)) / kBulletLifeTicks;
    Arena arena;
    MySim& game = *arena.game;
    double owed = 0.0;
    float angle = 0.0f;
    std::size_t inFlightSum = 0;
    std::size_t ticks = 0;
    const auto fireAndTick = [&] {
        for (owed += perTick; owed >= 1.0; owed -= 1.0) {
            angle += kGoldenAngle;
            game.fireBullet2(Vec2(std::cos(angle), std::sin(angle)), rules::kBulletSpeed);
        }
        arena.engine->updateTick();
    };
    for (int warmUp = 0; warmUp < 2 * kBulletLifeTicks; ++warmUp) fireAndTick();
    for (auto _ : state) {
        fireAndTick();
        inFlightSum += game.objects.size() - 20;
        ++ticks;
    }
    const double inFlight = static_cast<double>(inFlightSum) / static_cast<double>(ticks);
    state.counters["in_flight"] = inFlight;
    state.counters["per_bullet"] = benchmark::Counter(inFlight * static_cast<double>(ticks),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(steadyFire)->Arg(256)->Arg(4096)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The standard arena with 20 of player 2's bullets in flight, fired round the circle.
void fireTwenty(MySim& game)
{
    float angle = 0.0f;
    for (int shot = 0; shot < 20; ++shot) {
        angle += kGoldenAngle;
        game.fireBullet2(Vec2(std::cos(angle), std::sin(angle)), rules::kBulletSpeed);
    }
}

// What a rollback costs: saving the match and going back to the saved tick...
void saveAndRestore(benchmark::State& state)
{
    Arena arena;
    fireTwenty(*arena.game);
    arena.engine->updateTick();
    for (auto _ : state) {
        const MatchSnapshot saved = arena.game->save();
        arena.game->restore(saved);
    }
    state.counters["bodies"] = static_cast<double>(arena.game->objects.size());
}
BENCHMARK(saveAndRestore)->Unit(benchmark::kMicrosecond);

// ...and playing the 8 ticks since then again, with fresh input.
void restoreAndResimulateEight(benchmark::State& state)
{
    Arena arena;
    fireTwenty(*arena.game);
    arena.engine->updateTick();
    const MatchSnapshot saved = arena.game->save();
    TickInput input;
    input.match.player2 = {7, -3, true, false};
    for (auto _ : state) {
        arena.game->restore(saved);
        for (int tick = 0; tick < 8; ++tick) arena.game->step(input);
    }
}
BENCHMARK(restoreAndResimulateEight)->Unit(benchmark::kMicrosecond);

} // namespace
