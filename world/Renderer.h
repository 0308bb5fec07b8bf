#pragma once

#include "Camera.h"
#include "HudValues.h"
#include "TexturedQuad.h"

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
};
