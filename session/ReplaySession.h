#pragma once

#include <ostream>
#include <vector>

#include "MatchSession.h"

// A recorded match played back: each tick's record is the recorded one, reshapes and window keys included, and
// the live devices count only for Escape, which ends it with status 1. When the recorded ticks run out, or the
// recorded match quits, it ends with status 0 and the match's last word, "replay ended after N ticks: ...".
// The pointer stays where the person puts it: the recorded offsets already hold what the match's warps did.
class ReplaySession : public MatchSession {
public:
    ReplaySession(std::ostream& console, std::vector<TickInput> ticks)
        : MatchSession(console, MatchWindow::Pointer::Replayed), ticks(std::move(ticks))
    {
    }

    void frame(const TickInput& devices) override;

private:
    void matchQuit(int) override { end(0, "replay ended"); }

    std::vector<TickInput> ticks;
};
