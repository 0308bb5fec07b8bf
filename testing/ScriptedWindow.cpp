#include "ScriptedWindow.h"

void ScriptedWindow::movePointer(int x, int y) { engine.pointerMoved(x, y); }

void ScriptedWindow::setButton(MouseButton button, bool down) { engine.setButton(button, down); }

void ScriptedWindow::warpPointer(int x, int y)
{
    warps.emplace_back(x, y);
    engine.pointerMoved(x, y);
}
