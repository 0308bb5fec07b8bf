#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "InputRecorder.h"
#include "InputSource.h"
#include "NetTransport.h"
#include "PlayerSource.h"
#include "RollbackMatch.h"
#include "RollbackSession.h"

class MySim;

// This build as the handshake presents it: the protocol, and a digest of the match code and its compiler.
BuildIdentity buildIdentity();

// Exit statuses of a networked match, besides 0 for a match played to its end and 1 for Escape.
inline constexpr int kRefusedStatus = 2; // nobody answered, or the handshake was refused
inline constexpr int kBrokenStatus = 3;  // the link was lost or stopped making progress mid-match, the peer quit,
                                         // or the two matches diverged

// What a networked match is made of, all owned by the caller except the source.
struct OnlineSetup {
    MySim* shown = nullptr;     // drawn and run ahead on guesses; its console muted
    MySim* confirmed = nullptr; // stepped with final ticks only; its console is the program's
    int ownPlayer = 1;          // this machine's player; the peer plays the other
    // This machine's player's source; null for its keyboard (player 1) or mouse (player 2).
    std::unique_ptr<PlayerSource> ownSource;
    InputSource* local = nullptr;      // this machine's keyboard, mouse and window keys; null when headless
    std::ostream* recording = nullptr; // the confirmed ticks as a replay file; null for none
    std::ostream* log = nullptr;       // network messages, one line each: standard error
};

// A match against another machine, run one frame at a time. Two copies of the match run side by side: the
// shown one runs ahead on a guess of the peer's input and goes back when a guess was wrong; the confirmed one
// is stepped only with ticks whose inputs are both final. Only the confirmed match speaks: its console lines
// are the program's, its input records are the recording. So each machine prints and records exactly what a
// replay of the match gives, and the two recordings are the same bytes. The window's part of a tick (reshapes,
// full screen) never enters either match: each machine's window is its own. SIGINT and SIGTERM quit as Escape does.
class OnlineSession {
public:
    // hosting and where only shape the messages: "waiting on port", "joining HOST:PORT".
    OnlineSession(NetTransport transport, OnlineSetup setup, bool hosting, std::string where);

    // One frame: what arrived, at most one tick, what to send. Returns the exit status once the match is over,
    // its closing lines already on the log (the confirmed match's own last line is the caller's).
    std::optional<int> frame();
    // Tells the peer this side leaves (the window was closed), without waiting for anything.
    void leave();

    // Ticks both machines have settled: the confirmed match's length so far.
    int confirmedTicks() const { return rollback ? rollback->confirmedTicks() : 0; }
    // The shown match's ticks run since the last call with their events, a tick gone back over again: what its
    // sound is made of.
    std::vector<TickRun> takeShownRuns() { return shownRollback.takeRuns(); }
    // From now on, the shown match keeps its ticks' runs for takeShownRuns.
    void keepShownRuns() { shownRollback.keepRuns = true; }

private:
    using Clock = std::chrono::steady_clock;

    std::optional<int> waitForPeer(Clock::time_point now);
    void start(Clock::time_point now);
    void receive(Clock::time_point now);
    void reportRefusals(Clock::time_point now);
    void advance(const TickInput& here);
    void sendPending();
    void applyWindowKeys(const WindowActions& keys);
    void confirmTick(int tick, const MatchInput& input);
    // Ends the match with status after a line on the log; the figures follow once the match had begun.
    int end(int status, const std::string& why);
    std::optional<int> outcome(Clock::time_point now);
    std::optional<int> finish(Clock::time_point now);
    std::optional<int> judgeProgress(Clock::time_point now);
    std::string figures() const;

    NetTransport transport;
    OnlineSetup setup;
    const bool hosting;
    const std::string where;
    RollbackMatch shownRollback;
    std::unique_ptr<RollbackSession> rollback; // once the link is ready
    std::optional<MatchInput> heldOwnInput;    // drawn from ownSource for a tick that had to wait
    const Clock::time_point started = Clock::now();
    std::size_t refusalsReported = 0;
    Clock::time_point lastRefusalLine = started - std::chrono::hours(1);
    // The confirmed ticks as a replay file, when one is asked for.
    std::optional<ReplayWriter> recording;
    bool linkClosed = false;
    // The peer's first inputs arrived. A joiner's match runs before that, and its first confirmed ticks (those of
    // the input delay) wait here: the host may still turn it away.
    bool matchBegan = false;
    std::vector<MatchInput> heldConfirmations;
    // The last time confirmed or compared ticks moved on, and to what.
    Clock::time_point lastProgress = started;
    std::pair<int, int> progressMark{-1, -1};
    std::optional<Clock::time_point> finishedAt; // the match was settled; this side answers a while longer

    // The closing figures.
    int framesSinceSlowdown = 0;
    int stalledTicks = 0; // each tick counted once however many frames it waited
    int lastStalledTick = -1;
    int slowedFrames = 0;
    std::uint64_t roundTripSum = 0;
    std::uint64_t roundTripSamples = 0;
};
