#pragma once

#include "KeyState.h"
#include "MatchInput.h"

// The local window: what a match asks of it (pointer, full screen, size, quitting), and the keys held
// on this machine. The toolkit's window implements it for real; a session stands in front of it for its
// match, and tests and benchmarks script one (testing/ScriptedWindow.h).
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Called as every update tick begins, so the keys are up to date before they are read.
    virtual void beginTick() {}
    // Whether the key is held at this moment.
    virtual bool isKeyHeld(Key key) const = 0;
    // Moves the pointer to window pixel (x, y), origin top-left.
    virtual void warpPointer(int x, int y) = 0;
    // Moves the pointer to the window's centre, where steering measures from.
    virtual void centrePointer() = 0;
    // Shows or hides the pointer over the window. It is hidden while a match is played, since player 2 steers
    // by its motion rather than its place; menus need it seen.
    virtual void showPointer(bool) {}
    virtual void fullScreen() = 0;
    virtual void reshapeWindow(int width, int height) = 0;
    virtual void positionWindow(int x, int y) = 0;
    // Ends what the window shows with the given status.
    virtual void quit(int status) = 0;
};

// Carries out the local window's own keys for its size: P goes full screen, O back to an 800 x 600
// window at (50, 50). Escape is the caller's, since what quitting means differs.
inline void resizeForWindowKeys(WindowSystem& window, const WindowActions& keys)
{
    if (keys.fullScreen) window.fullScreen();
    if (keys.restoreWindow) {
        window.reshapeWindow(800, 600);
        window.positionWindow(50, 50);
    }
}
