#pragma once

#include <array>

#include "KeyState.h"

struct _XDisplay; // Xlib's Display, declared here so Xlib's macros stay out of every includer

// The physical keyboard as the X server reports it, over a connection of the program's own (the
// toolkit does not share its connection).
class X11Keyboard {
public:
    // Opens the default display and looks up each key's keycode; on failure read() always fails.
    X11Keyboard();
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Fetches which keys are down right now; false when there is no connection.
    bool read();
    // Whether the key was down at the last read. A key this keyboard has no keycode for counts as
    // down, so its events alone decide.
    bool isDown(Key key) const;

private:
    _XDisplay* display = nullptr;
    std::array<unsigned char, kKeyCount> keycodes{};
    std::array<char, 32> keymap{}; // one bit per keycode, as XQueryKeymap fills it
};
