#include "ReplayFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace {

// In Key order.
constexpr std::array<std::string_view, kKeyCount> kKeyNames = {"left", "up", "right", "down", "a", "w",
                                                               "d",    "s",  "l",     "p",    "o", "escape"};
constexpr std::string_view kHeaderPrefix = "skirmora-replay ";
constexpr std::size_t kMaxTokens = 5;

// Quotes a token for a message, printable ASCII only, since the file may hold anything.
std::string quoted(std::string_view token)
{
    constexpr std::size_t kMaxShown = 24;
    std::string text = "'";
    for (std::size_t i = 0; i < token.size() && i < kMaxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        text += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (token.size() > kMaxShown) text += "...";
    return text + "'";
}

// The integer a whole token spells, if it is one within [low, high].
std::optional<int> integerIn(std::string_view token, int low, int high)
{
    int value = 0;
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value);
    if (token.empty() || error != std::errc() || stop != end || value < low || value > high) return std::nullopt;
    return value;
}

// Splits at single spaces, stopping one past the most any line has; empty when a token is empty
// (doubled, leading or trailing space).
std::vector<std::string_view> tokens(std::string_view line)
{
    std::vector<std::string_view> result;
    for (;;) {
        const std::size_t space = line.find(' ');
        result.push_back(line.substr(0, space));
        if (result.back().empty()) return {};
        if (space == std::string_view::npos || result.size() > kMaxTokens) return result;
        line.remove_prefix(space + 1);
    }
}

// Fills keys from "-" or comma-separated key names; an error message, or empty.
std::string parseKeys(std::string_view list, TickInput& tick)
{
    if (list == "-") return {};
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        std::size_t index = 0;
        while (index < kKeyCount && kKeyNames[index] != name) ++index;
        if (index == kKeyCount) return "unknown key " + quoted(name);
        const auto key = static_cast<Key>(index);
        if (isKeyHeld(tick, key)) return "key " + quoted(name) + " listed twice";
        setKeyHeld(tick, key, true);
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
}

// Parses one complete line after the header into replay; an error message, or empty.
std::string parseLine(std::string_view line, std::vector<std::pair<int, int>>& pendingReshapes, Replay& replay)
{
    if (line.size() > kMaxReplayLine) return "line longer than " + std::to_string(kMaxReplayLine) + " bytes";
    if (line.empty()) return "empty line";
    const std::vector<std::string_view> words = tokens(line);
    if (words.empty()) return "fields must be separated by single spaces";
    if (words[0] == "size") {
        if (words.size() != 3) return "expected 'size WIDTH HEIGHT'";
        const auto width = integerIn(words[1], 1, kMaxWindowExtent);
        const auto height = integerIn(words[2], 1, kMaxWindowExtent);
        if (!width || !height) return "window size must be whole numbers from 1 to " + std::to_string(kMaxWindowExtent);
        pendingReshapes.emplace_back(*width, *height);
        return {};
    }
    if (words[0] == "tick") {
        if (words.size() != 5) return "expected 'tick KEYS X Y BUTTON'";
        TickInput tick;
        if (std::string error = parseKeys(words[1], tick); !error.empty()) return error;
        const auto x = integerIn(words[2], -kMaxPointerOffset, kMaxPointerOffset);
        const auto y = integerIn(words[3], -kMaxPointerOffset, kMaxPointerOffset);
        if (!x || !y) return "pointer offset must be whole numbers within " + std::to_string(kMaxPointerOffset);
        const auto button = integerIn(words[4], 0, 1);
        if (!button || words[4].size() != 1) return "button must be 0 or 1";
        tick.match.player2.pointerX = *x;
        tick.match.player2.pointerY = *y;
        tick.match.player2.leftDown = *button == 1;
        tick.window.reshapes = std::move(pendingReshapes);
        pendingReshapes.clear();
        replay.ticks.push_back(std::move(tick));
        return {};
    }
    return "unknown line kind " + quoted(words[0]) + " (expected 'size' or 'tick')";
}

} // namespace

std::variant<Replay, ReplayError> parseReplay(std::string_view text)
{
    if (text.empty()) return ReplayError{0, "empty file, not a replay"};
    if (text.size() > kMaxReplayBytes)
        return ReplayError{0, "larger than " + std::to_string(kMaxReplayBytes) + " bytes"};
    Replay replay;
    // Reshapes apply to the next tick; trailing ones, with no tick after them, have nothing to apply to.
    std::vector<std::pair<int, int>> pendingReshapes;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, std::min(newline, kMaxReplayLine + 1));
        if (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r')
            return ReplayError{number, "line ends in a carriage return; lines must end in a bare newline"};
        if (number == 1) {
            if (line.substr(0, kHeaderPrefix.size()) != kHeaderPrefix)
                return ReplayError{1, "not a replay file (expected '" + std::string(kReplayHeader) + "')"};
            if (line != kReplayHeader)
                return ReplayError{1, "unsupported version " + quoted(line.substr(kHeaderPrefix.size())) +
                                          " (this program reads '" + std::string(kReplayHeader) + "')"};
            if (newline == std::string_view::npos) return ReplayError{1, "cut short in the version line"};
        } else if (newline == std::string_view::npos) {
            // A recording killed mid-write: keep every complete tick before it.
            replay.cutShortLine = number;
            return replay;
        } else if (std::string error = parseLine(line, pendingReshapes, replay); !error.empty()) {
            return ReplayError{number, error};
        }
        text.remove_prefix(newline + 1);
    }
    return replay;
}

std::variant<Replay, std::string> loadReplay(const std::string& path)
{
    // Checked up front: reading a directory as a stream fails without a useful reason.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return path + ": " + std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return path + ": is a directory, not a replay file";
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": " + std::strerror(errno);
    // Read in pieces up to one byte past the limit, so that a device or pipe that never ends is refused too.
    std::string text;
    std::array<char, 1 << 16> piece{};
    while (text.size() <= kMaxReplayBytes && in.read(piece.data(), piece.size()).gcount() > 0)
        text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return path + ": read failed";
    auto parsed = parseReplay(text);
    if (auto* error = std::get_if<ReplayError>(&parsed)) {
        return path + (error->line > 0 ? ":" + std::to_string(error->line) : std::string()) + ": " + error->message;
    }
    return std::get<Replay>(std::move(parsed));
}

std::string replaySizeLine(int width, int height)
{
    return "size " + std::to_string(width) + " " + std::to_string(height) + "\n";
}

std::string replayLines(const TickInput& tick)
{
    std::string text;
    for (const auto& [width, height] : tick.window.reshapes) text += replaySizeLine(width, height);
    std::string keys;
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        if (!isKeyHeld(tick, static_cast<Key>(i))) continue;
        if (!keys.empty()) keys += ',';
        keys += kKeyNames[i];
    }
    const Player2Input& mouse = tick.match.player2;
    text += "tick " + (keys.empty() ? "-" : keys) + " " + std::to_string(mouse.pointerX) + " " +
            std::to_string(mouse.pointerY) + " " + (mouse.leftDown ? "1" : "0") + "\n";
    return text;
}

ReplayWriter::ReplayWriter(std::ostream& out, std::ostream& messages) : out(out), messages(messages)
{
    writeLines(std::string(kReplayHeader) + "\n");
}

void ReplayWriter::write(const TickInput& input)
{
    writeLines(replayLines(input));
    ++ticks;
}

void ReplayWriter::writeLines(const std::string& lines)
{
    if (failed) return;
    out << lines << std::flush;
    if (!out) {
        failed = true;
        messages << "skirmora: writing the recording failed; it ends before tick " << ticks + 1 << std::endl;
    }
}
