#pragma once

#include <memory>

#include "KeyState.h"
#include "MenuManager.h"
#include "WindowSystem.h"
#include "X11Keyboard.h"

class Engine;

// The toolkit's side of the window seam: keys come from its key callbacks, confirmed each tick against
// the physical keyboard; requests go to its window.
class GlutWindow : public WindowSystem {
public:
    // engine knows the window's centre, and hears of quitting and closing.
    explicit GlutWindow(Engine& engine) : engine(engine) {}
    ~GlutWindow() override;
    GlutWindow(const GlutWindow&) = delete;
    GlutWindow& operator=(const GlutWindow&) = delete;

    // Registers the key callbacks on the current window, with key repeat ignored, and the close
    // callback, and connects to the physical keyboard.
    void registerCallbacks();

    // Releases the keys no longer physically down: their key-up went elsewhere if the window had lost focus.
    void beginTick() override;
    bool isKeyHeld(Key key) const override { return keys.isHeld(key); }
    void warpPointer(int x, int y) override;
    void centrePointer() override;
    void showPointer(bool shown) override;
    void fullScreen() override;
    void reshapeWindow(int width, int height) override;
    void positionWindow(int x, int y) override;
    // A key went down: the engine's menus hear of it, Shift with it.
    void keyPressed(KeyPress press);
    // Ends the engine's loop with status.
    void quit(int status) override;
    // The desktop closed the window.
    void closed();

    KeyState keys;

private:
    Engine& engine;
    std::unique_ptr<X11Keyboard> keyboard;
};
