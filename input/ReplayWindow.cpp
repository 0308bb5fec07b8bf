#include "ReplayWindow.h"

#include <utility>

ReplayWindow::ReplayWindow(std::function<void(int, int)> adoptSize, std::vector<TickInput> ticks, WindowSystem* live)
    : adoptSize(std::move(adoptSize)), ticks(std::move(ticks)), live(live)
{
}

TickInput ReplayWindow::next()
{
    if (live != nullptr) {
        live->beginTick();
        if (live->isKeyHeld(Key::Escape)) live->quit(1);
    }
    if (played == ticks.size()) {
        if (onEnd) onEnd();
        return {};
    }
    const TickInput& tick = ticks[played++];
    for (const auto& [width, height] : tick.window.reshapes) adoptSize(width, height);
    return tick;
}

void ReplayWindow::fullScreen()
{
    if (live != nullptr) live->fullScreen();
}

void ReplayWindow::reshapeWindow(int width, int height)
{
    if (live != nullptr) live->reshapeWindow(width, height);
}

void ReplayWindow::positionWindow(int x, int y)
{
    if (live != nullptr) live->positionWindow(x, y);
}

void ReplayWindow::quit(int)
{
    if (onEnd) onEnd();
}
