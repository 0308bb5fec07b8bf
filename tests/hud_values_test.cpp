#include <gtest/gtest.h>

#include "HudValues.h"

namespace {

TEST(HudValuesTest, FrameRateIsWholeFramesPerSecondOfTheLastFrame)
{
    HudValues hud;
    // First frame: no earlier frame to measure from.
    advanceFrameClock(hud, 5000);
    EXPECT_EQ(hud.shownFps, 0);
    EXPECT_EQ(hud.lastFrameMs, 5000);
    EXPECT_EQ(hud.nowMs, 5000);

    // Truncating division: 1000/16 = 62.5, 1000/17 = 58.8, 1000/33 = 30.3.
    advanceFrameClock(hud, 5016);
    EXPECT_EQ(hud.shownFps, 62);
    advanceFrameClock(hud, 5033);
    EXPECT_EQ(hud.shownFps, 58);
    advanceFrameClock(hud, 5066);
    EXPECT_EQ(hud.shownFps, 30);
    EXPECT_EQ(hud.lastFrameMs, 5066);

    // No time passed: the previous value stays and nothing is divided by zero.
    advanceFrameClock(hud, 5066);
    EXPECT_EQ(hud.shownFps, 30);

    // A frame longer than a second shows 0.
    advanceFrameClock(hud, 6567);
    EXPECT_EQ(hud.shownFps, 0);

    // One millisecond is the shortest measurable frame.
    advanceFrameClock(hud, 6568);
    EXPECT_EQ(hud.shownFps, 1000);
}

TEST(HudValuesTest, FirstFrameAtTimeZeroIsStillTheFirst)
{
    // The toolkit's clock starts at 0, so 0 must not be mistaken for "no frame yet".
    HudValues hud;
    advanceFrameClock(hud, 0);
    EXPECT_EQ(hud.shownFps, 0);
    advanceFrameClock(hud, 20);
    EXPECT_EQ(hud.shownFps, 50);
}

} // namespace
