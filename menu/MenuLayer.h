#pragma once

#include <string>

#include "Menu.h"
#include "MenuManager.h"
#include "Renderer.h"

// The menus in the engine's layer above the game: drawn over the picture after each render pass, and
// handed the window's keys, typing and pointer, the pointer in window pixels.
class MenuLayer : public MenuManager {
public:
    explicit MenuLayer(Menu& menu) : menu(menu) {}

    // What to draw with and the window's size, set by the program as the window opens and changes.
    Renderer* renderer = nullptr;
    int width = 800;
    int height = 600;
    // A replay's line, drawn at the bottom while no menu shows; empty for none.
    std::string statusLine;

    MenuAction press(MenuKey key) { return menu.press(key); }
    MenuAction type(char c) { return menu.type(c); }
    // Over an item, the pointer selects it; a left click on one chooses it.
    void pointerMoved(int x, int y);
    MenuAction leftClick(int x, int y);

    void render() override;

private:
    Menu& menu;
};
