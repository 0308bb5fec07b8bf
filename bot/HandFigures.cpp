#include "HandFigures.h"

#include <algorithm>
#include <array>

HandFigures handFigures(const std::vector<MatchInput>& records, int player)
{
    HandFigures figures;
    figures.ticks = static_cast<int>(records.size());
    // One switch per key (player 1) or the button alone (player 2): whether down, and since when.
    constexpr std::size_t kSwitches = Player1Input::kKeys;
    std::array<bool, kSwitches> down{};
    std::array<int, kSwitches> since{};
    int lastX = 0, lastY = 0;
    int quiet = 0;
    for (int tick = 0; tick < figures.ticks; ++tick) {
        const MatchInput& record = records[static_cast<std::size_t>(tick)];
        std::array<bool, kSwitches> now{};
        if (player == 1) {
            for (std::size_t key = 0; key < kSwitches; ++key) now[key] = ((record.player1.keys >> key) & 1u) != 0;
        } else {
            now[0] = record.player2.leftDown;
        }
        bool any = false;
        for (std::size_t key = 0; key < kSwitches; ++key) {
            any = any || now[key];
            if (now[key] == down[key]) continue;
            ++figures.keyChanges;
            if (now[key]) {
                ++figures.presses;
            } else if (tick - since[key] < HandFigures::kShortPress) {
                ++figures.shortPresses;
            }
            down[key] = now[key];
            since[key] = tick;
        }
        if (player == 2) {
            const int x = record.player2.pointerX;
            const int y = record.player2.pointerY;
            if (x != 0 || y != 0) {
                any = true;
                if (static_cast<long>(x) * lastX + static_cast<long>(y) * lastY < 0) ++figures.pointerReversals;
                lastX = x;
                lastY = y;
            }
        }
        quiet = any ? 0 : quiet + 1;
        figures.longestQuiet = std::max(figures.longestQuiet, quiet);
    }
    return figures;
}
