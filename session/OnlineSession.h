#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MySim.h"
#include "NetTransport.h"
#include "PlayerSource.h"
#include "ReplayFile.h"
#include "RollbackMatch.h"
#include "RollbackSession.h"
#include "Session.h"

// This build as the handshake presents it: the protocol, and a digest of the match code and its compiler.
BuildIdentity buildIdentity();

// Exit statuses of a networked match, besides 0 for a match played to its end and 1 for Escape.
inline constexpr int kRefusedStatus = 2; // nobody answered, or the handshake was refused
inline constexpr int kBrokenStatus = 3;  // the link was lost or stopped making progress mid-match, the peer quit,
                                         // or the two matches diverged

// What a networked match is made of besides the link; the streams are the caller's.
struct OnlineSetup {
    std::ostream* console = nullptr; // the confirmed match's lines: the program's
    int ownPlayer = 1;               // this machine's player; the peer plays the other
    // This machine's player's source; null for its keyboard (player 1) or mouse (player 2).
    std::unique_ptr<PlayerSource> ownSource;
    std::ostream* recording = nullptr; // the confirmed ticks as a replay file; null for none
    std::ostream* log = nullptr;       // network messages, one line each: standard error
};

// A match against another machine, run one frame at a time. Two copies of the match run side by side: the
// shown one runs ahead on a guess of the peer's input and goes back when a guess was wrong; the confirmed one
// is stepped only with ticks whose inputs are both final. Only the confirmed match speaks: its console lines
// are the program's, its input records are the recording. So each machine prints and records exactly what a
// replay of the match gives, and the two recordings are the same bytes. The window's keys (full screen, back
// to a window) never enter either match, and its sizes only the shown one's view: each machine's window is its
// own. A match played to its length ends with status 0 and the confirmed match's last word, "match ended after
// N ticks: ..."; Escape ends it with 1, and the network's troubles with the statuses above.
class OnlineSession : public Session {
public:
    // hosting and where only shape the messages: "waiting on port", "joining HOST:PORT". Makes both matches.
    OnlineSession(NetTransport transport, OnlineSetup setup, bool hosting, std::string where);

    // Builds both matches; only the shown one is shown the window.
    void begin(const SessionStage& stage) override;
    // What arrived, at most one tick, what to send.
    void frame(const TickInput& devices) override;
    SimulationManager* shownMatch() override { return &shown; }
    // The shown match's ticks, a tick gone back over again: what is seen is what is heard. The shown match keeps
    // its runs from the first call on.
    std::vector<TickRun> takeTickRuns() override;
    // The closing lines are on the log by then.
    std::optional<int> finished() const override { return status; }
    // Tells the peer this side leaves (the window was closed), without waiting for anything.
    void leave() override;
    // The peer expects a frame every update period.
    bool paced() const override { return true; }

    // Ticks both machines have settled: the confirmed match's length so far.
    int confirmedTicks() const { return rollback ? rollback->confirmedTicks() : 0; }
    const MySim& confirmedMatch() const { return confirmed; }

private:
    using Clock = std::chrono::steady_clock;

    std::optional<int> advanceFrame(const TickInput& devices);
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
    MySim confirmed;
    std::ostream muted{nullptr};
    MySim shown;
    RollbackMatch shownRollback;
    std::unique_ptr<RollbackSession> rollback; // once the link is ready
    std::optional<MatchInput> heldOwnInput;    // drawn from ownSource for a tick that had to wait
    const Clock::time_point started = Clock::now();
    std::size_t refusalsReported = 0;
    Clock::time_point lastRefusalLine = started - std::chrono::hours(1);
    // The confirmed ticks as a replay file, when one is asked for.
    std::optional<ReplayWriter> recording;
    bool linkClosed = false;
    std::optional<int> status;
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
