#pragma once

#include <functional>
#include <utility>

#include "WindowSystem.h"

// The window as a session's match sees it. The match's requests reach the engine's window (none without one)
// until the match quits; quitting hands the status to the session rather than ending anything, and from then
// on the match asks nothing more of the window.
class MatchWindow : public WindowSystem {
public:
    // Whether the match moves the pointer (it steers player 2 from it) or only replays where it was.
    enum class Pointer { Steered, Replayed };

    MatchWindow(Pointer pointer, std::function<void(int status)> onQuit) : pointer(pointer), onQuit(std::move(onQuit))
    {
    }

    // The engine's window, or null.
    WindowSystem* live = nullptr;

    // A match reads its keys from its tick's record alone.
    bool isKeyHeld(Key) const override { return false; }
    void warpPointer(int x, int y) override;
    void centrePointer() override;
    void fullScreen() override;
    void reshapeWindow(int width, int height) override;
    void positionWindow(int x, int y) override;
    void quit(int status) override;

private:
    WindowSystem* open() const { return quitted ? nullptr : live; }
    WindowSystem* steered() const { return pointer == Pointer::Steered ? open() : nullptr; }

    const Pointer pointer;
    std::function<void(int status)> onQuit;
    bool quitted = false;
};
