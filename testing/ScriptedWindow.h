#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "Engine.h"
#include "KeyState.h"
#include "WindowSystem.h"

// A window system driven by a script instead of a person: tests and benchmarks hold keys, move the
// pointer, press buttons and resize the window between ticks, and read back what the game asked of the window.
class ScriptedWindow : public WindowSystem {
public:
    explicit ScriptedWindow(Engine& engine) : engine(engine) {}

    void hold(Key key) { keys.press(key); }
    void release(Key key) { keys.release(key); }
    // Reports the pointer at window pixel (x, y), as a motion event would.
    void movePointer(int x, int y);
    void setButton(MouseButton button, bool down);

    bool isKeyHeld(Key key) const override { return keys.isHeld(key); }
    // Like the real toolkit, a warp is echoed as a motion event at the target.
    void warpPointer(int x, int y) override;
    void centrePointer() override { warpPointer(engine.centreX, engine.centreY); }
    // The window took a new size, as the toolkit would report it.
    void resize(int width, int height) { engine.windowReshaped(width, height); }
    void showPointer(bool shown) override { pointerShows.push_back(shown); }
    void fullScreen() override { ++fullScreenRequests; }
    void reshapeWindow(int width, int height) override { reshapeRequests.emplace_back(width, height); }
    void positionWindow(int x, int y) override { positionRequests.emplace_back(x, y); }
    // Records the status instead of ending the process.
    void quit(int status) override { quitStatus = status; }

    KeyState keys;
    std::vector<std::pair<int, int>> warps;
    // Each request to show (true) or hide (false) the pointer, in order.
    std::vector<bool> pointerShows;
    int fullScreenRequests = 0;
    std::vector<std::pair<int, int>> reshapeRequests;
    std::vector<std::pair<int, int>> positionRequests;
    std::optional<int> quitStatus;

private:
    Engine& engine;
};
