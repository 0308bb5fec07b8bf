#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "MatchWindow.h"
#include "MySim.h"
#include "Session.h"

// Writes the last word of a match: "<what> after N ticks: player 1 health H score S, player 2 health H score S".
void writeMatchEnd(std::ostream& console, const char* what, const MySim& match, std::uint64_t ticks);

// One match on this machine, stepped a tick a frame, its lines on the console it is given: what a local match
// and a replay share. Once over, the match writes nothing more, also in the rest of the tick that ended it.
class MatchSession : public Session {
public:
    void begin(const SessionStage& stage) override;
    SimulationManager* shownMatch() override { return &match; }
    std::vector<TickRun> takeTickRuns() override;
    std::optional<int> finished() const override { return status; }

    // The match itself, for those who script it.
    MySim& game() { return match; }
    // Ticks stepped so far, the one running included.
    std::uint64_t ticksPlayed() const { return played; }

protected:
    MatchSession(std::ostream& out, MatchWindow::Pointer pointer);

    // Steps the match one tick with record.
    void step(const TickInput& record);
    // Ends the session with status, after the match's last word (writeMatchEnd) if what is given.
    void end(int exitStatus, const char* what = nullptr);
    // The match asked its window to quit with status, in the middle of a tick.
    virtual void matchQuit(int exitStatus) = 0;

private:
    // The match's console: the one given, until the session ends.
    std::ostream console;
    MySim match;
    MatchWindow window;
    std::uint64_t played = 0;
    // Whether a tick ran since the sound last asked.
    bool ranUnheard = false;
    std::optional<int> status;
};
