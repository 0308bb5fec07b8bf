#include "HudValues.h"

void advanceFrameClock(HudValues& hud, int nowMs)
{
    constexpr int kMsPerSecond = 1000;
    const int elapsedMs = nowMs - hud.lastFrameMs;
    hud.nowMs = nowMs;
    if (hud.lastFrameMs == HudValues::kNoFrameYet)
        hud.shownFps = 0;
    else if (elapsedMs >= 1)
        hud.shownFps = kMsPerSecond / elapsedMs;
    hud.lastFrameMs = nowMs;
}
