#pragma once

#include "KeyState.h"
#include "WindowSystem.h"

// The toolkit's side of the window seam: keys come from its key callbacks, requests go to its window.
class GlutWindow : public WindowSystem {
public:
    // Registers the key and focus callbacks on the current window, with key repeat ignored.
    void registerCallbacks();

    bool isKeyHeld(Key key) const override { return keys.isHeld(key); }
    void warpPointer(int x, int y) override;
    void fullScreen() override;
    void reshapeWindow(int width, int height) override;
    void positionWindow(int x, int y) override;
    void quit(int status) override;

    KeyState keys;
};
