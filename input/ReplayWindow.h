#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "InputSource.h"
#include "WindowSystem.h"

// Plays a recorded match back: each tick's input record is the recorded one instead of a person's.
// On screen the live window keeps only Escape and carries out the game's window requests; headless
// there is no live window at all.
class ReplayWindow : public WindowSystem, public InputSource {
public:
    // live may be null (headless); adoptSize makes the window take a recorded size.
    ReplayWindow(std::function<void(int width, int height)> adoptSize, std::vector<TickInput> ticks,
                 WindowSystem* live = nullptr);

    // Live Escape quits with status 1; otherwise the next recorded tick, its reshapes adopted first.
    // Past the last one, onEnd is called.
    TickInput next() override;
    bool isKeyHeld(Key) const override { return false; }
    // The recorded pointer already holds whatever the warp did.
    void warpPointer(int, int) override {}
    void centrePointer() override {}
    void fullScreen() override;
    void reshapeWindow(int width, int height) override;
    void positionWindow(int x, int y) override;
    // The recorded match quit in this tick, so the replay is over too: calls onEnd.
    void quit(int status) override;

    // Ticks handed to the game so far.
    std::size_t ticksPlayed() const { return played; }
    // Called when the recorded match is over: its ticks ran out, or it quit. Meant to end the process;
    // if it returns, the game goes on with no input.
    std::function<void()> onEnd;

private:
    std::function<void(int width, int height)> adoptSize;
    std::vector<TickInput> ticks;
    WindowSystem* live;
    std::size_t played = 0;
};
