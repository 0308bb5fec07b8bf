#pragma once

#include <string_view>

#include "Camera.h"
#include "HudValues.h"
#include "TexturedQuad.h"

// A colour and its opacity, each from 0 to 1.
struct Rgba {
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

// A rectangle of the window in window pixels, from the top-left corner with y down, as the pointer is
// reported.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;

    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// The sizes of text drawn on the window: a fixed-width one for figures, a plain one, and a large one
// for titles.
enum class TextSize { Small, Medium, Large };

// Where a line of text stands from the x it is given.
enum class TextAlign { Left, Centre };

// Everything a render pass asks of the graphics side. The engine's OpenGL renderer is the real one;
// tests record the calls instead.
class Renderer : public QuadRenderer {
public:
    // Projection from the camera, cleared buffers, world coordinates for the bodies.
    virtual void setUpFrame(const Camera& camera) = 0;
    // Bracket one body's draw() so that it cannot disturb the next one's transform.
    virtual void beginBody() = 0;
    virtual void endBody() = 0;
    // The text overlay: health and score, and the renderer's own frame rate.
    virtual void drawHud(const HudValues& hud) = 0;
    // Menus and notices over the picture, in window pixels: a rectangle blended over whatever is drawn,
    // and one line of text whose baseline stands at y, from x or centred on it.
    virtual void fillScreenRect(const ScreenRect& rect, const Rgba& colour) = 0;
    virtual void drawScreenText(int x, int y, std::string_view text, TextSize size, TextAlign align,
                                const Rgba& colour) = 0;
};
