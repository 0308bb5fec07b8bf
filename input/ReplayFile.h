#pragma once

#include <bitset>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "KeyState.h"
#include "MatchInput.h"

// A recorded match: for every update tick, its input record. The file is text, one
// line per event, after a version line:
//   skirmora-replay 1
//   size 800 600              the window took this size before the next tick
//   tick w,left 12 -3 1       keys held ("-" for none), pointer offset from the centre, left button
// Nothing else may appear: no blank lines, no spaces but single separators, no trailing '\r'.

// The version line this program writes and reads.
inline constexpr std::string_view kReplayHeader = "skirmora-replay 1";
// Limits beyond which a file is refused: no window system makes windows or pointer offsets this big.
inline constexpr int kMaxWindowExtent = 32767;            // window pixels
inline constexpr int kMaxPointerOffset = 65535;           // window pixels
inline constexpr std::size_t kMaxReplayLine = 128;        // bytes, newline excluded
inline constexpr std::size_t kMaxReplayBytes = 64u << 20; // well over ten hours of play

struct Replay {
    std::vector<TickInput> ticks;
    // Number of the incomplete last line of a recording cut short (killed mid-write); 0 if none.
    int cutShortLine = 0;
};

// Why a text is not a replay; line 0 when no single line is at fault.
struct ReplayError {
    int line = 0;
    std::string message;
};

// Parses and validates a whole replay. An incomplete last line is dropped and reported in cutShortLine.
std::variant<Replay, ReplayError> parseReplay(std::string_view text);

// Reads and parses the file at path; an error comes as one line "path:line: message" (or "path: message").
std::variant<Replay, std::string> loadReplay(const std::string& path);

// The line for one reshape, newline included.
std::string replaySizeLine(int width, int height);
// The lines for a tick's input, newline included: its reshapes, then its tick line.
std::string replayLines(const TickInput& tick);

// Writes input records as a replay file: the version line first, then each record's reshapes and tick
// line, each flushed, so that a recording killed at any point is a usable replay. A write that fails is
// reported once on messages and the rest is dropped: the match goes on unrecorded rather than
// ending over a full disk.
class ReplayWriter {
public:
    // Writes the version line to out; a failed write is told on messages.
    ReplayWriter(std::ostream& out, std::ostream& messages);

    void write(const TickInput& input);

private:
    void writeLines(const std::string& lines);

    std::ostream& out;
    std::ostream& messages;
    std::size_t ticks = 0;
    bool failed = false;
};
