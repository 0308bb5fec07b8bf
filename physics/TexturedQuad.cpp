#include "TexturedQuad.h"

namespace {
QuadRenderer* installedRenderer = nullptr;
}

void setQuadRenderer(QuadRenderer* renderer) { installedRenderer = renderer; }

void drawTexturedQuad(const TexturedQuad& quad)
{
    if (installedRenderer != nullptr) installedRenderer->drawTexturedQuad(quad);
}
