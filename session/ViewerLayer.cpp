#include "ViewerLayer.h"

#include "MenuDrawing.h"

void ViewerLayer::drawWith(Renderer* to, int windowWidth, int windowHeight)
{
    renderer = to;
    width = windowWidth;
    height = windowHeight;
}

void ViewerLayer::render()
{
    if (renderer != nullptr) drawStatusLine(viewer.statusLine(), *renderer, width, height);
}
