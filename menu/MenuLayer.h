#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Menu.h"
#include "MenuManager.h"
#include "Renderer.h"

// The menus in the engine's layer above the game: drawn over the picture after each render pass, and
// handed the window's key presses and pointer (in window pixels). What the menus answer waits for the
// program, which takes it once each update period.
class MenuLayer : public MenuManager {
public:
    explicit MenuLayer(Menu& menu) : menu(menu) {}

    // A replay's line, drawn at the bottom while no menu shows; empty for none.
    std::string statusLine;

    void keyPressed(const KeyPress& press) override;
    // Over an item, the pointer selects it; a left click on one chooses it.
    void pointerMoved(int x, int y) override;
    void leftPressed(int x, int y) override;
    void drawWith(Renderer* renderer, int width, int height) override;
    void render() override;
    std::vector<MenuCue> takeCues() override { return menu.takeCues(); }
    // Over a menu, and over a replay being watched (its line shown), where the pointer steers nothing.
    bool wantsPointer() const override { return menu.showing() || !statusLine.empty(); }
    float volume() const override
    {
        return menu.settings().mute ? 0.0f : static_cast<float>(menu.settings().volume) / Settings::kMaxVolume;
    }

    // The answers since the last call, in order.
    std::vector<MenuAction> takeActions();
    // The keys pressed while no menu showed, Escape aside (which the menus answer), since the last call.
    std::vector<KeyPress> takePresses();

private:
    void answer(const MenuAction& action);

    Menu& menu;
    Renderer* renderer = nullptr;
    int width = 800;
    int height = 600;
    // Where the pointer was last reported: it selects only once it moves, so that a pointer resting where
    // the window opened (or where a match warped it) does not take the selection from the keys.
    std::optional<std::pair<int, int>> pointer;
    std::vector<MenuAction> actions;
    std::vector<KeyPress> presses;
};
