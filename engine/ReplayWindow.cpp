#include "ReplayWindow.h"

#include <utility>

ReplayWindow::ReplayWindow(Engine& engine, std::vector<TickInput> ticks, WindowSystem* live)
    : engine(engine), ticks(std::move(ticks)), live(live)
{
}

void ReplayWindow::beginTick()
{
    if (live != nullptr) {
        live->beginTick();
        if (live->isKeyHeld(Key::Escape)) live->quit(1);
    }
    if (next == ticks.size()) {
        held.reset();
        engine.mouseX = engine.centreX;
        engine.mouseY = engine.centreY;
        engine.leftDown = false;
        if (onEnd) onEnd();
        return;
    }
    const TickInput& tick = ticks[next++];
    for (const auto& [width, height] : tick.reshapes) engine.reshape(width, height);
    engine.mouseX = engine.centreX + tick.pointerX;
    engine.mouseY = engine.centreY + tick.pointerY;
    engine.leftDown = tick.leftDown;
    held = tick.keys;
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
