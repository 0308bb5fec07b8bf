#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "MatchInput.h"
#include "TickRun.h"

class SimulationManager;
class WindowSystem;

// What the engine lends the session it runs.
struct SessionStage {
    // The window the session's matches ask things of (pointer, full screen, size); null when none shows them.
    WindowSystem* window = nullptr;
    // Texture names by image key, loaded before the session begins; empty without a window.
    std::map<std::string, std::uint32_t> textureNames;
};

// One mode of the program (a match on this machine, a replay, a match against another machine), as the engine
// runs it: the engine reads this machine's devices and draws and sounds the session's match; the session alone
// knows where each tick's input comes from, how many ticks a frame runs and when it is over.
class Session {
public:
    virtual ~Session() = default;

    // Builds the session's matches on the engine's stage; called once, before the first frame.
    virtual void begin(const SessionStage& stage) = 0;
    // One update period. devices is this machine's keyboard, mouse and window as a tick's record: the keys held,
    // the pointer's offset from the window centre, the left button and the sizes the window took since the last
    // frame (nothing at all without a window).
    virtual void frame(const TickInput& devices) = 0;
    // The match to draw, whose camera also places the sounds; null while none shows (a page of a menu).
    virtual SimulationManager* shownMatch() = 0;
    // The ticks run since the last call, in the order they ran, with their events: what the sound plays. A tick
    // gone back over comes again. Asked only while something listens.
    virtual std::vector<TickRun> takeTickRuns() = 0;
    // The exit status once the session is over, its closing lines written; nothing while it goes on.
    virtual std::optional<int> finished() const = 0;
    // The window closed, or another session takes over: one with a peer tells it at once, without waiting.
    virtual void leave() {}
    // Whether frames keep the update period's pace also without a window (a peer expects them to), rather
    // than running back to back.
    virtual bool paced() const { return false; }
};
