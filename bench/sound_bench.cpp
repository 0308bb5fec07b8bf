#include <benchmark/benchmark.h>
#include <cstdlib>
#include <iostream>

#include "SoundPlayer.h"

// One tick's play() on OpenAL's null device, which mixes on a thread of its own as a real device does:
// the cost the game's update tick pays for sound.
namespace {

const Listener kCamera{{0.0f, 0.0f}, 400.0f, 300.0f};

void playTick(benchmark::State& state)
{
    SoundPlayer player(SKIRMORA_SOUNDS_DIR, std::cerr);
    if (!player.hasDevice()) state.SkipWithError("no audio device");
    // A busy tick: a shot, a bounce and wall contact. Within a few ticks every voice is taken, so most
    // calls also find the oldest voice to give way.
    const std::vector<MatchEvent> busy = {{MatchEventKind::BulletFired, {-120.0f, 40.0f}, 2},
                                          {MatchEventKind::BulletBounced, {180.0f, -90.0f}, 0},
                                          {MatchEventKind::WallScrape, {-200.0f, 0.0f}, 2}};
    const std::vector<MatchEvent> quiet;
    std::uint32_t tick = 0;
    for (auto _ : state) player.play(state.range(0) != 0 ? busy : quiet, kCamera, ++tick);
}
BENCHMARK(playTick)->ArgName("events")->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // A device on any machine, with or without a sound card; an ALSOFT_DRIVERS already set wins.
    setenv("ALSOFT_DRIVERS", "null", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
