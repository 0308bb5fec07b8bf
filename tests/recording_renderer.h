#pragma once

#include <string>
#include <vector>

#include "Renderer.h"

// Stands in for OpenGL: remembers, in order, what a render pass asked for.
class RecordingRenderer : public Renderer {
public:
    void setUpFrame(const Camera&) override { calls.push_back("frame"); }
    void drawTexturedQuad(const TexturedQuad& quad) override
    {
        calls.push_back("quad");
        quads.push_back(quad);
    }
    void beginBody() override { calls.push_back("begin"); }
    void endBody() override { calls.push_back("end"); }
    void drawHud(HudValues&) override { calls.push_back("hud"); }

    std::vector<std::string> calls;
    std::vector<TexturedQuad> quads;
};
