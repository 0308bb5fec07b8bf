#include "X11Keyboard.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <cstddef>
#include <iostream>

namespace {
// The symbol on each game key, in the order of Key.
constexpr std::array<KeySym, kKeyCount> kKeySymbols = {
    XK_Left, XK_Up, XK_Right, XK_Down, XK_a, XK_w, XK_d, XK_s, XK_l, XK_p, XK_o, XK_Escape,
};
} // namespace

X11Keyboard::X11Keyboard() : display(XOpenDisplay(nullptr))
{
    if (display == nullptr) {
        std::cerr << "Keyboard: cannot open the X display; keys released outside the window may stay held" << std::endl;
        return;
    }
    for (std::size_t i = 0; i < kKeyCount; ++i) keycodes[i] = XKeysymToKeycode(display, kKeySymbols[i]);
}

X11Keyboard::~X11Keyboard()
{
    if (display != nullptr) XCloseDisplay(display);
}

bool X11Keyboard::read()
{
    if (display == nullptr) return false;
    XQueryKeymap(display, keymap.data());
    return true;
}

bool X11Keyboard::isDown(Key key) const
{
    const unsigned code = keycodes[static_cast<std::size_t>(key)];
    if (code == 0) return true;
    return (static_cast<unsigned char>(keymap[code / 8]) >> (code % 8)) & 1u;
}
