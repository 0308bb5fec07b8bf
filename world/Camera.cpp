#include "Camera.h"

void fitToWindow(Camera& view, int width, int height)
{
    if (height < 1) height = 1;
    if (width < 1) width = 1;
    const auto aspect = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
    // One extent is kept and the other derived from it, so repeated reshapes let the view drift.
    if (aspect > 1.0f)
        view.viewHeight = view.viewWidth / aspect;
    else
        view.viewWidth = view.viewHeight * aspect;
    // Extreme sizes in turn shrink the view every time; keep it from vanishing, so that the game's
    // zoom, which eases by a fraction of the view, can bring the usual framing back.
    constexpr float kMinViewExtent = 0.001f; // world units
    if (!(view.viewWidth >= kMinViewExtent && view.viewHeight >= kMinViewExtent)) {
        if (aspect > 1.0f) {
            view.viewHeight = kMinViewExtent;
            view.viewWidth = kMinViewExtent * aspect;
        } else {
            view.viewWidth = kMinViewExtent;
            view.viewHeight = kMinViewExtent / aspect;
        }
    }
    view.aspect = aspect;
}
