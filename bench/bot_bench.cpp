#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <ostream>
#include <vector>

#include "ArenaMap.h"
#include "Bot.h"
#include "MatchView.h"
#include "MySim.h"
#include "PlayerSources.h"

// The computer player's cost: one tick's decision in a match under way, and the one-off survey of the
// walls on its first look.
namespace {

// This thread's processor time, seconds: unlike the clock on the wall, it leaves out the time the
// thread stood preempted by others on a shared machine.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A headless match whose console goes nowhere.
struct QuietMatch {
    QuietMatch() { game.init(); }
    std::ostream nowhere{nullptr};
    MySim game{nowhere};
};

// The bot in the role and at the level (0 easy, 1 normal, 2 hard) given by the arguments against a
// seeded sparring partner; only the bot's own decision is timed, each tick after a warm-up that covers
// its first look.
void botDecision(benchmark::State& state)
{
    const int role = static_cast<int>(state.range(0));
    QuietMatch match;
    auto bot = makeBot(1, static_cast<BotLevel>(state.range(1)));
    RandomSource partner(1);
    std::vector<double> times;
    std::vector<double> processorTimes;
    const auto tick = [&](bool timed) {
        const double processorStart = threadSeconds();
        const auto start = std::chrono::steady_clock::now();
        const MatchInput own = bot->next(match.game, role);
        const auto stop = std::chrono::steady_clock::now();
        const double processorStop = threadSeconds();
        if (timed) {
            const double seconds = std::chrono::duration<double>(stop - start).count();
            state.SetIterationTime(seconds);
            times.push_back(seconds);
            processorTimes.push_back(processorStop - processorStart);
        }
        const MatchInput other = partner.next(match.game, 3 - role);
        TickInput record;
        record.match.player1 = role == 1 ? own.player1 : other.player1;
        record.match.player2 = role == 2 ? own.player2 : other.player2;
        match.game.step(record);
    };
    for (int warmUp = 0; warmUp < 600; ++warmUp) tick(false);
    for (auto _ : state) tick(true);
    // The slow end of the spread, besides the mean: on the wall's clock and in processor time.
    std::sort(times.begin(), times.end());
    std::sort(processorTimes.begin(), processorTimes.end());
    if (!times.empty()) {
        state.counters["p99_us"] = times[times.size() * 99 / 100] * 1e6;
        state.counters["p99_cpu_us"] = processorTimes[processorTimes.size() * 99 / 100] * 1e6;
    }
}
BENCHMARK(botDecision)
    ->ArgsProduct({{1, 2}, {0, 1, 2}})
    ->ArgNames({"role", "level"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void surveyWalls(benchmark::State& state)
{
    QuietMatch match;
    const std::vector<WallOutline> walls = wallsOf(match.game);
    for (auto _ : state) benchmark::DoNotOptimize(ArenaMap(walls));
}
BENCHMARK(surveyWalls)->Unit(benchmark::kMillisecond);

} // namespace
