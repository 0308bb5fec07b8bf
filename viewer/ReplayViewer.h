#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "MatchInput.h"
#include "MySim.h"
#include "TickRun.h"

// Passes what is written on to another stream's buffer only while open: a match run again over ticks
// it already printed writes into the void.
class GatedConsole : public std::streambuf {
public:
    explicit GatedConsole(std::streambuf* target) : target(target) {}
    bool open = true;

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf* target;
};

// The keys the replay viewer answers to.
enum class ViewerKey {
    Space,  // pause or resume
    Left,   // seek back 5 s (with Shift, 30 s)
    Right,  // seek ahead 5 s (with Shift, 30 s)
    Comma,  // one tick back while paused
    Period, // one tick ahead while paused
    Up,     // double the speed
    Down,   // halve the speed
    Home,   // back to the start
};

// Watching a recorded match at will: paused, stepped a tick at a time, sped up or slowed down, and
// moved to any tick, back as well as ahead. The match is run from its recorded input as it first
// plays, and a snapshot of it is kept every kSnapshotTicks; going back restores the nearest snapshot
// at or before the tick and runs forward from there, so a seek costs at most that many ticks at any
// length. The console shows each tick's lines once, the first time the replay reaches the tick.
class ReplayViewer {
public:
    // One update tick's length in milliseconds: the pace of the recording and of the seeks below.
    static constexpr int kTickMs = 16;
    // Seeks of 5 and 30 seconds, in ticks.
    static constexpr std::size_t kShortSeek = 5000 / kTickMs;
    static constexpr std::size_t kLongSeek = 30000 / kTickMs;
    // Two seconds of match between snapshots, at first.
    static constexpr std::size_t kSnapshotTicks = 2000 / kTickMs;
    // Beyond this many the snapshots are thinned to every other one, so that a replay of hours keeps a
    // bounded memory: the gap then doubles, and with it the longest seek.
    static constexpr std::size_t kMaxSnapshots = 2048;
    // The speeds on offer, as quarters of the recorded pace: 0.25x to 8x.
    static constexpr int kSpeedQuarters[] = {1, 2, 4, 8, 16, 32};

    // The match for ticks, built with the textures named (none: untextured) and printing to console;
    // the window sizes the recording took frame its camera as they did. snapshotLimit is kMaxSnapshots
    // but in tests.
    ReplayViewer(std::vector<TickInput> ticks, std::ostream& console,
                 std::map<std::string, std::uint32_t> textureNames = {}, std::size_t snapshotLimit = kMaxSnapshots);
    // The same, for a window whose textures load later: the match is built at once (its start-up lines come
    // first) but set up only by start(), which must come before anything else.
    struct StartLater {};
    ReplayViewer(std::vector<TickInput> ticks, std::ostream& console, StartLater);
    // Sets the match up with the textures named, and keeps its first snapshot.
    void start(std::map<std::string, std::uint32_t> textureNames);

    MySim& match() { return *shown; }
    const MySim& match() const { return *shown; }
    // Ticks played into the match: 0 at the start, length() at the end.
    std::size_t tick() const { return current; }
    // The recording's ticks, up to the one in which its player quit.
    std::size_t length() const { return ticksInMatch; }
    // The furthest tick reached so far.
    std::size_t furthest() const { return reached; }
    bool paused() const { return isPaused; }
    double speed() const { return kSpeedQuarters[speedStep] / 4.0; }

    // One update period of the window: as many ticks as the speed makes due, unless paused. Reaching
    // the end pauses.
    void frame();
    // Space. At the end there is nothing more to play, and the replay stays paused.
    void togglePause();
    // Moves by ticks (negative: back), stopping at the start or the end; paused or not, as before.
    void seekBy(long long ticks);
    void seekTo(std::size_t tick);
    // One tick ahead (direction 1) or back (-1) while paused; nothing while playing.
    void step(int direction);
    // Double or halve the speed, within 0.25x to 8x.
    void faster();
    void slower();

    // What a key does: the moves above.
    void press(ViewerKey key, bool shift = false);

    // The ticks frame() and step() played since the last call, with their events, for the sound; the
    // ticks a seek runs through are not heard.
    std::vector<TickRun> takeTickRuns();
    // The line under the picture: where the replay is, its length and its speed.
    std::string statusLine() const;
    // Ticks between the snapshots kept now.
    std::size_t snapshotGap() const { return gap; }

private:
    // Runs the next recorded tick: printed only if it was never reached before, heard if asked.
    void runTick(bool heard);
    void keepSnapshotIfDue();

    std::vector<TickInput> ticks;
    std::size_t ticksInMatch;
    GatedConsole gate;
    std::ostream console;
    std::unique_ptr<MySim> shown;
    // snapshots[i] holds the match after tick i * gap.
    std::vector<MatchSnapshot> snapshots;
    std::size_t gap = kSnapshotTicks;
    std::size_t snapshotLimit = kMaxSnapshots;
    std::size_t current = 0;
    std::size_t reached = 0;
    bool isPaused = false;
    std::size_t speedStep = 2;
    // Quarter ticks due but not yet run, below a whole tick.
    int owedQuarters = 0;
    std::vector<TickRun> heard;
};
