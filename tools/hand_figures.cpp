// Reads recordings and prints, for each player, how its input moved: key (or button) changes per
// second, the share of presses shorter than five ticks, pointer reversals per second and the longest
// stretch with no input.
// Usage: hand_figures FILE...   (a tick is 16 ms, the game's update period)
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "HandFigures.h"
#include "ReplayFile.h"

int main(int argc, char** argv)
{
    constexpr double kTicksPerSecond = 1000.0 / 16.0;
    if (argc < 2) {
        std::fprintf(stderr, "usage: hand_figures FILE...\n");
        return 2;
    }
    for (int file = 1; file < argc; ++file) {
        auto loaded = loadReplay(argv[file]);
        if (const auto* error = std::get_if<std::string>(&loaded)) {
            std::fprintf(stderr, "%s\n", error->c_str());
            return 2;
        }
        std::vector<MatchInput> records;
        for (const TickInput& tick : std::get<Replay>(loaded).ticks) records.push_back(tick.match);
        for (int player = 1; player <= 2; ++player) {
            const HandFigures figures = handFigures(records, player);
            const double seconds = figures.ticks / kTicksPerSecond;
            std::printf("%s player %d: %.2f key changes/s, %.1f %% of %d presses under %d ticks, %.2f pointer "
                        "reversals/s, longest with no input %d ticks\n",
                        argv[file], player, seconds > 0 ? figures.keyChanges / seconds : 0.0,
                        figures.presses > 0 ? 100.0 * figures.shortPresses / figures.presses : 0.0, figures.presses,
                        HandFigures::kShortPress, seconds > 0 ? figures.pointerReversals / seconds : 0.0,
                        figures.longestQuiet);
        }
    }
    return 0;
}
