#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "MenuManager.h"
#include "ReplayViewer.h"
#include "Session.h"

// A recording watched at will from the menus (see ReplayViewer): Space pauses, Left and Right seek 5 s
// (with Shift 30 s), comma and period step a tick while paused, Up and Down double or halve the speed,
// Home goes back to the start. It never ends by itself: at the end it stands paused on the last tick.
class ViewerSession : public Session {
public:
    // console gets each tick's lines the first time the replay reaches the tick.
    ViewerSession(std::vector<TickInput> ticks, std::ostream& console) : ticks(std::move(ticks)), console(console) {}

    void begin(const SessionStage& stage) override;
    void frame(const TickInput&) override;
    SimulationManager* shownMatch() override { return viewer ? &viewer->match() : nullptr; }
    std::vector<TickRun> takeTickRuns() override;
    std::optional<int> finished() const override { return std::nullopt; }

    // A key went down in the window.
    void press(const KeyPress& key);
    // Where the replay stands, its length and speed.
    std::string statusLine() const { return viewer ? viewer->statusLine() : ""; }

private:
    std::vector<TickInput> ticks;
    std::ostream& console;
    std::optional<ReplayViewer> viewer;
};
