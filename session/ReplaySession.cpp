#include "ReplaySession.h"

void ReplaySession::frame(const TickInput& devices)
{
    if (finished()) return;
    if (devices.window.quit) return end(1);
    if (ticksPlayed() == ticks.size()) return end(0, "replay ended");
    step(ticks[ticksPlayed()]);
}
