#pragma once

#include "FrameClock.h"
#include "Renderer.h"

// One-time OpenGL state: black clear colour, depth test, alpha blending; loads the entry point the
// overlay needs. Call once the window's context exists.
void initGl();

// The renderer that draws with OpenGL into the current window.
class GlRenderer : public Renderer {
public:
    void setUpFrame(const Camera& camera) override;
    void drawTexturedQuad(const TexturedQuad& quad) override;
    void beginBody() override;
    void endBody() override;
    void drawHud(const HudValues& hud) override;

private:
    FrameClock frames;
};
