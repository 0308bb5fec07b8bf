#include "MenuLayer.h"

#include <utility>

#include "MenuDrawing.h"

void MenuLayer::answer(const MenuAction& action)
{
    if (action.kind != MenuAction::Kind::None) actions.push_back(action);
}

void MenuLayer::keyPressed(const KeyPress& press)
{
    using Named = KeyPress::Named;
    if (!menu.showing() && press.named != Named::Escape) return presses.push_back(press);
    switch (press.named) {
    case Named::None: return answer(menu.type(press.character));
    case Named::Enter: return answer(menu.press(MenuKey::Enter));
    case Named::Escape: return answer(menu.press(MenuKey::Escape));
    case Named::Backspace: return answer(menu.press(MenuKey::Backspace));
    case Named::Up: return answer(menu.press(MenuKey::Up));
    case Named::Down: return answer(menu.press(MenuKey::Down));
    case Named::Left: return answer(menu.press(MenuKey::Left));
    case Named::Right: return answer(menu.press(MenuKey::Right));
    case Named::Home: return;
    }
}

void MenuLayer::pointerMoved(int x, int y)
{
    const bool moved = pointer && *pointer != std::pair(x, y);
    pointer = std::pair(x, y);
    if (moved && menu.showing()) menu.point(menuItemAt(layoutMenu(menu.page(), width, height), x, y));
}

void MenuLayer::leftPressed(int x, int y)
{
    if (!menu.showing()) return;
    if (const auto item = menuItemAt(layoutMenu(menu.page(), width, height), x, y)) answer(menu.click(*item));
}

void MenuLayer::drawWith(Renderer* to, int windowWidth, int windowHeight)
{
    renderer = to;
    width = windowWidth;
    height = windowHeight;
}

void MenuLayer::render()
{
    if (renderer == nullptr) return;
    if (menu.showing())
        drawMenu(menu.page(), *renderer, width, height);
    else if (!statusLine.empty())
        drawStatusLine(statusLine, *renderer, width, height);
}

std::vector<MenuAction> MenuLayer::takeActions() { return std::exchange(actions, {}); }

std::vector<KeyPress> MenuLayer::takePresses() { return std::exchange(presses, {}); }
