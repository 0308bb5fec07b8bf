#include "FrameClock.h"

void advanceFrameClock(FrameClock& clock, int nowMs)
{
    constexpr int kMsPerSecond = 1000;
    const int elapsedMs = nowMs - clock.lastFrameMs;
    clock.nowMs = nowMs;
    if (clock.lastFrameMs == FrameClock::kNoFrameYet)
        clock.shownFps = 0;
    else if (elapsedMs >= 1)
        clock.shownFps = kMsPerSecond / elapsedMs;
    clock.lastFrameMs = nowMs;
}
