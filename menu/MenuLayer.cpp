#include "MenuLayer.h"

#include "MenuDrawing.h"

void MenuLayer::pointerMoved(int x, int y)
{
    if (menu.showing()) menu.point(menuItemAt(layoutMenu(menu.page(), width, height), x, y));
}

MenuAction MenuLayer::leftClick(int x, int y)
{
    if (!menu.showing()) return {};
    const auto item = menuItemAt(layoutMenu(menu.page(), width, height), x, y);
    return item ? menu.click(*item) : MenuAction{};
}

void MenuLayer::render()
{
    if (renderer == nullptr) return;
    if (menu.showing())
        drawMenu(menu.page(), *renderer, width, height);
    else if (!statusLine.empty())
        drawStatusLine(statusLine, *renderer, width, height);
}
