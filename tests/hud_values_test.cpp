#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "HudValues.h"

namespace {

TEST(HudValuesTest, FrameRateIsWholeFramesPerSecondOfTheLastFrame)
{
    // Frame times and the rate shown after each, from a fresh clock. The first frame shows 0, even at the
    // toolkit's start time 0. Then truncating division (1000/16 = 62.5, 1000/17 = 58.8, 1000/33 = 30.3); no
    // time passed keeps the previous value; over a second shows 0; one millisecond is the shortest frame.
    const std::vector<std::vector<std::pair<int, int>>> runs = {
        {{5000, 0}, {5016, 62}, {5033, 58}, {5066, 30}, {5066, 30}, {6567, 0}, {6568, 1000}},
        {{0, 0}, {20, 50}},
    };
    for (const auto& run : runs) {
        HudValues hud;
        for (const auto& [nowMs, fps] : run) {
            advanceFrameClock(hud, nowMs);
            EXPECT_EQ(hud.shownFps, fps) << nowMs;
            EXPECT_EQ(hud.nowMs, nowMs);
            EXPECT_EQ(hud.lastFrameMs, nowMs);
        }
    }
}

} // namespace
