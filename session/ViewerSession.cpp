#include "ViewerSession.h"

#include <utility>

#include "MatchSession.h"

void ViewerSession::begin(const SessionStage& stage) { viewer.start(stage.textureNames); }

void ViewerSession::frame(const TickInput& devices)
{
    if (status) return;
    if (devices.window.quit) {
        status = endReached ? 0 : 1;
        return;
    }
    viewer.frame();
    if (!endReached && viewer.furthest() == viewer.length()) {
        endReached = true;
        writeMatchEnd(console, "replay ended", viewer.match(), viewer.length());
    }
}

void ViewerSession::press(const KeyPress& key)
{
    using Named = KeyPress::Named;
    switch (key.named) {
    case Named::Left: return viewer.press(ViewerKey::Left, key.shift);
    case Named::Right: return viewer.press(ViewerKey::Right, key.shift);
    case Named::Up: return viewer.press(ViewerKey::Up);
    case Named::Down: return viewer.press(ViewerKey::Down);
    case Named::Home: return viewer.press(ViewerKey::Home);
    case Named::None:
        if (key.character == ' ') viewer.press(ViewerKey::Space);
        if (key.character == ',') viewer.press(ViewerKey::Comma);
        if (key.character == '.') viewer.press(ViewerKey::Period);
        return;
    default: return;
    }
}
