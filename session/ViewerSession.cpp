#include "ViewerSession.h"

#include <utility>

void ViewerSession::begin(const SessionStage& stage) { viewer.emplace(std::move(ticks), console, stage.textureNames); }

void ViewerSession::frame(const TickInput&)
{
    if (viewer) viewer->frame();
}

std::vector<TickRun> ViewerSession::takeTickRuns() { return viewer ? viewer->takeTickRuns() : std::vector<TickRun>{}; }

void ViewerSession::press(const KeyPress& key)
{
    if (!viewer) return;
    using Named = KeyPress::Named;
    switch (key.named) {
    case Named::Left: return viewer->press(ViewerKey::Left, key.shift);
    case Named::Right: return viewer->press(ViewerKey::Right, key.shift);
    case Named::Up: return viewer->press(ViewerKey::Up);
    case Named::Down: return viewer->press(ViewerKey::Down);
    case Named::Home: return viewer->press(ViewerKey::Home);
    case Named::None:
        if (key.character == ' ') viewer->press(ViewerKey::Space);
        if (key.character == ',') viewer->press(ViewerKey::Comma);
        if (key.character == '.') viewer->press(ViewerKey::Period);
        return;
    default: return;
    }
}
