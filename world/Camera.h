#pragma once

#include "Vec2.h"

// The view onto the world: the game moves it and zooms it, the frame set-up reads it.
struct Camera {
    // Eye x and y; the eye stands at z = 600.
    Vec2 position{0.0f, 0.0f};
    // Point looked at on the plane z = 0.
    Vec2 target{0.0f, 0.0f};
    // Screen-up direction.
    Vec2 up{0.0f, 1.0f};
    // Visible region in world units.
    float viewWidth = 400.0f;
    float viewHeight = 300.0f;
    // Window width over height, kept in step with the engine.
    float aspect = 4.0f / 3.0f;
};

// Adapts the view to a window of width x height pixels (an empty side counts as one pixel): its aspect, and
// the extents, of which the long side's is kept and the other derived.
void fitToWindow(Camera& view, int width, int height);
