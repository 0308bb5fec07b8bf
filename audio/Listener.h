#pragma once

#include "Vec2.h"

// The ears of the sound layer: the camera's view. Sounds are panned by where they lie across the view
// and grow quieter with distance from its centre.
struct Listener {
    // Centre of the view, world units.
    Vec2 centre{0.0f, 0.0f};
    // Visible region, world units: a sound at a side edge of the view plays from that side alone, and
    // one beyond the edges fades with its distance.
    float viewWidth = 400.0f;
    float viewHeight = 300.0f;
};
