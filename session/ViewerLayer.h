#pragma once

#include "MenuManager.h"
#include "ViewerSession.h"

class Renderer;

// The engine's layer over a recording watched on its own, with no menus: the window's key presses go to the
// viewer, its line is drawn under the picture, and the pointer shows, since it steers nothing.
class ViewerLayer : public MenuManager {
public:
    explicit ViewerLayer(ViewerSession& viewer) : viewer(viewer) {}

    void keyPressed(const KeyPress& press) override { viewer.press(press); }
    void drawWith(Renderer* to, int windowWidth, int windowHeight) override;
    void render() override;
    bool wantsPointer() const override { return true; }

private:
    ViewerSession& viewer;
    Renderer* renderer = nullptr;
    int width = 800;
    int height = 600;
};
