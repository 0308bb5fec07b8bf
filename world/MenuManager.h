#pragma once

#include <vector>

class Renderer;

// The menus' two sounds: the selection moved, or something was chosen or changed.
enum class MenuCue { Move, Choose };

// A key going down in the window, as menus read it: a printable character typed, or a key without one.
struct KeyPress {
    enum class Named { None, Enter, Escape, Backspace, Up, Down, Left, Right, Home };
    Named named = Named::None;
    // The character typed when named is None.
    char character = 0;
    bool shift = false;
};

// A layer above the game: the engine calls update() after each update period and render() after each
// render pass, and hands it the window's key presses, pointer and size. Does nothing unless a program
// puts menus there.
class MenuManager {
public:
    virtual ~MenuManager() = default;
    virtual void update() {}
    virtual void render() {}
    virtual void keyPressed(const KeyPress&) {}
    // The pointer, in window pixels from the top-left.
    virtual void pointerMoved(int, int) {}
    virtual void leftPressed(int, int) {}
    // What render() draws with, and the window's size; null before a window opens.
    virtual void drawWith(Renderer*, int, int) {}
    // The sounds the menus asked for since the last call, and the loudness of everything heard, from 0 to 1.
    virtual std::vector<MenuCue> takeCues() { return {}; }
    virtual float volume() const { return 1.0f; }
    // Whether the pointer is to be seen over the window now: while there is something to point at.
    virtual bool wantsPointer() const { return false; }
};
