#pragma once

#include <array>
#include <cstdint>

#include "Vec2.h"

// One textured quadrilateral as a body hands it to the renderer.
struct TexturedQuad {
    // World-space corners in drawing order; they take texture coordinates (0,1), (1,1), (1,0), (0,0).
    std::array<Vec2, 4> corners{};
    // The owning body's layer, read at every drawing so the quad follows layer changes.
    const std::uint16_t* layerRef = nullptr;
    // OpenGL texture name; 0 draws untextured (white).
    std::uint32_t texture = 0;

    void translate(const Vec2& delta)
    {
        for (Vec2& corner : corners) corner += delta;
    }
    void rotate(float angle, const Vec2& pivot)
    {
        for (Vec2& corner : corners) corner = rotatedAbout(corner, pivot, angle);
    }
};

// Receives the quads that bodies draw. Bodies know nothing of OpenGL: they are handed the renderer
// to draw with, and tests may hand them a recorder.
class QuadRenderer {
public:
    virtual ~QuadRenderer() = default;
    virtual void drawTexturedQuad(const TexturedQuad& quad) = 0;
};
