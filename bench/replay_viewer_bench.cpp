#include <benchmark/benchmark.h>
#include <fstream>
#include <random>
#include <vector>

#include "ReplayViewer.h"

// Seeks in a five-minute replay of busy play, once the replay has played through and kept its
// snapshots: what pressing Left (5 s back), Shift+Left (30 s) or Home costs, the match run forward from
// the nearest snapshot included.
namespace {

constexpr std::size_t kFiveMinutes = 5 * 60 * 1000 / ReplayViewer::kTickMs;

std::vector<TickInput> busyTicks()
{
    std::mt19937 random(9);
    std::vector<TickInput> ticks;
    std::uint8_t held = 0;
    for (std::size_t tick = 0; tick < kFiveMinutes; ++tick) {
        for (std::size_t key = 0; key < Player1Input::kKeys; ++key)
            if (random() % 12 == 0) held ^= static_cast<std::uint8_t>(1u << key);
        TickInput input;
        input.match.player1.keys = held;
        input.match.player2 = {static_cast<int>(random() % 61) - 30, static_cast<int>(random() % 61) - 30,
                               random() % 5 != 0, false};
        ticks.push_back(input);
    }
    return ticks;
}

void seekBack(benchmark::State& state)
{
    const auto distance = static_cast<std::size_t>(state.range(0));
    std::ofstream nowhere("/dev/null");
    ReplayViewer viewer(busyTicks(), nowhere);
    viewer.seekTo(viewer.length());
    std::mt19937 chooser(1);
    for (auto _ : state) {
        // From anywhere in the replay: the worst case lands just before a snapshot.
        state.PauseTiming();
        viewer.seekTo(distance + chooser() % (viewer.length() - distance + 1));
        state.ResumeTiming();
        viewer.seekBy(-static_cast<long long>(distance));
    }
    state.counters["snapshot_gap_ticks"] = static_cast<double>(viewer.snapshotGap());
}
BENCHMARK(seekBack)
    ->Arg(ReplayViewer::kShortSeek)
    ->Arg(ReplayViewer::kLongSeek)
    ->Arg(kFiveMinutes)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
