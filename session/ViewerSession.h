#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "MenuManager.h"
#include "ReplayViewer.h"
#include "Session.h"

// A recording watched at will (see ReplayViewer): Space pauses, Left and Right seek 5 s (with Shift 30 s),
// comma and period step a tick while paused, Up and Down double or halve the speed, Home goes back to the
// start. It never ends by itself: at the end it stands paused on the last tick, and the first time it gets
// there it prints the match's last word, "replay ended after N ticks: ...". Escape leaves, with status 0 once
// the end was reached and 1 before, as a replay left early always did.
class ViewerSession : public Session {
public:
    // console gets each tick's lines the first time the replay reaches the tick. The match is built at once,
    // so that its start-up lines come before the window's.
    ViewerSession(std::vector<TickInput> ticks, std::ostream& console)
        : console(console), viewer(std::move(ticks), console, ReplayViewer::StartLater{})
    {
    }

    void begin(const SessionStage& stage) override;
    void frame(const TickInput& devices) override;
    SimulationManager* shownMatch() override { return &viewer.match(); }
    std::vector<TickRun> takeTickRuns() override { return viewer.takeTickRuns(); }
    std::optional<int> finished() const override { return status; }

    // A key went down in the window.
    void press(const KeyPress& key);
    // Where the replay stands, its length and speed.
    std::string statusLine() const { return viewer.statusLine(); }

private:
    std::ostream& console;
    ReplayViewer viewer;
    bool endReached = false;
    std::optional<int> status;
};
