#include "MatchWindow.h"

void MatchWindow::warpPointer(int x, int y)
{
    if (WindowSystem* window = steered()) window->warpPointer(x, y);
}

void MatchWindow::centrePointer()
{
    if (WindowSystem* window = steered()) window->centrePointer();
}

void MatchWindow::fullScreen()
{
    if (WindowSystem* window = open()) window->fullScreen();
}

void MatchWindow::reshapeWindow(int width, int height)
{
    if (WindowSystem* window = open()) window->reshapeWindow(width, height);
}

void MatchWindow::positionWindow(int x, int y)
{
    if (WindowSystem* window = open()) window->positionWindow(x, y);
}

void MatchWindow::quit(int status)
{
    if (quitted) return;
    quitted = true;
    onQuit(status);
}
