#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>

#include "InputRecorder.h"
#include "MatchSession.h"
#include "MatchSource.h"
#include "PlayerSource.h"

// A match on this machine between any two player sources, recorded or not. Escape (the match quitting) ends it
// with status 1; with a tick limit, the frame after that tick ends it with status 0 and the match's last word,
// "match ended after N ticks: ...".
class LocalSession : public MatchSession {
public:
    // console gets the match's lines. A null source leaves that player to this machine's keyboard (player 1) or
    // mouse (player 2). tickLimit 0 is a match without end; recording, if given, gets every tick's record as a
    // replay file.
    LocalSession(std::ostream& console, std::unique_ptr<PlayerSource> player1, std::unique_ptr<PlayerSource> player2,
                 std::uint64_t tickLimit = 0, std::ostream* recording = nullptr);

    void frame(const TickInput& devices) override;

private:
    void matchQuit(int exitStatus) override { end(exitStatus); }

    std::unique_ptr<PlayerSource> player1;
    std::unique_ptr<PlayerSource> player2;
    MatchSource players;
    // In front of players when recording.
    std::optional<InputRecorder> recorder;
    const std::uint64_t tickLimit;
};
