#include "Settings.h"

#include <charconv>
#include <set>

namespace {

constexpr std::size_t kMaxLine = 512; // bytes; no setting comes near it

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A whole number from low to high, with no sign, spaces or leading zeros beyond one.
bool readNumber(std::string_view text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 6 || (text.size() > 1 && text[0] == '0')) return false;
    int value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || stop != text.data() + text.size() || value < low || value > high) return false;
    out = value;
    return true;
}

bool readFlag(std::string_view text, bool& out)
{
    if (text != "true" && text != "false") return false;
    out = text == "true";
    return true;
}

bool readLevel(std::string_view text, ComputerLevel& out)
{
    for (const ComputerLevel level : {ComputerLevel::Easy, ComputerLevel::Normal, ComputerLevel::Hard}) {
        if (text == levelName(level)) {
            out = level;
            return true;
        }
    }
    return false;
}

bool readSide(std::string_view text, int& out)
{
    if (text != "keyboard" && text != "mouse") return false;
    out = text == "keyboard" ? 1 : 2;
    return true;
}

// Takes one key's value into settings; "" when it was good, else why not.
std::string readSetting(std::string_view key, std::string_view value, Settings& settings)
{
    const auto check = [](bool good, const char* expected) { return good ? std::string() : std::string(expected); };
    if (key == "volume")
        return check(readNumber(value, 0, Settings::kMaxVolume, settings.volume), "a volume from 0 to 100");
    if (key == "mute") return check(readFlag(value, settings.mute), "true or false");
    if (key == "full_screen") return check(readFlag(value, settings.fullScreen), "true or false");
    if (key == "input_delay")
        return check(readNumber(value, 0, Settings::kMaxInputDelay, settings.inputDelay),
                     "an input delay from 0 to 8 ticks");
    if (key == "host_port") return check(readNumber(value, 1, 65535, settings.hostPort), "a port from 1 to 65535");
    if (key == "computer_level") return check(readLevel(value, settings.computerLevel), "easy, normal or hard");
    if (key == "your_side") return check(readSide(value, settings.personPlayer), "keyboard or mouse");
    if (key == "record_every_match") return check(readFlag(value, settings.recordEveryMatch), "true or false");
    if (key == "join_address") {
        if (!value.empty() && !validJoinAddress(value)) return "a host name or address, with no spaces";
        settings.joinAddress = std::string(value);
        return "";
    }
    return "unknown setting '" + std::string(key) + "'";
}

} // namespace

bool Settings::operator==(const Settings& other) const
{
    return volume == other.volume && mute == other.mute && fullScreen == other.fullScreen &&
           inputDelay == other.inputDelay && joinAddress == other.joinAddress && hostPort == other.hostPort &&
           computerLevel == other.computerLevel && personPlayer == other.personPlayer &&
           recordEveryMatch == other.recordEveryMatch;
}

const char* levelName(ComputerLevel level)
{
    switch (level) {
    case ComputerLevel::Easy: return "easy";
    case ComputerLevel::Hard: return "hard";
    default: return "normal";
    }
}

bool validJoinAddress(std::string_view text)
{
    if (text.empty() || text.size() > Settings::kMaxJoinAddress) return false;
    for (const char c : text)
        if (c <= ' ' || c > '~') return false;
    return true;
}

std::variant<Settings, SettingsError> parseSettings(std::string_view text)
{
    Settings settings;
    std::set<std::string, std::less<>> seen;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const auto end = text.find('\n');
        if (end == std::string_view::npos) return SettingsError{number, "the last line has no end"};
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (raw.size() > kMaxLine) return SettingsError{number, "line too long"};
        for (const char c : raw)
            if ((c < ' ' && c != '\t') || c == '\x7f') return SettingsError{number, "a control character"};
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return SettingsError{number, "expected key = value"};
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (!seen.insert(std::string(key)).second) return SettingsError{number, "'" + std::string(key) + "' twice"};
        if (std::string problem = readSetting(key, value, settings); !problem.empty()) {
            if (problem.rfind("unknown", 0) != 0) problem = "'" + std::string(key) + "' must be " + problem;
            return SettingsError{number, problem};
        }
    }
    return settings;
}

std::string formatSettings(const Settings& settings)
{
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    std::string text = "# Skirmora's settings, written by the game whenever one changes.\n";
    text += "# Sound volume in percent (0 to 100), and whether the game plays silent.\n";
    text += "volume = " + std::to_string(settings.volume) + "\n";
    text += "mute = " + std::string(flag(settings.mute)) + "\n";
    text += "full_screen = " + std::string(flag(settings.fullScreen)) + "\n";
    text += "# Online: ticks before this machine's input takes effect (0 to 8), the last address joined, and\n";
    text += "# the UDP port to host on.\n";
    text += "input_delay = " + std::to_string(settings.inputDelay) + "\n";
    text += "join_address = " + settings.joinAddress + "\n";
    text += "host_port = " + std::to_string(settings.hostPort) + "\n";
    text += "# Against the computer: its level (easy, normal, hard) and your side (keyboard or mouse).\n";
    text += "computer_level = " + std::string(levelName(settings.computerLevel)) + "\n";
    text += "your_side = " + std::string(settings.personPlayer == 2 ? "mouse" : "keyboard") + "\n";
    text += "# Record each match started from the menu to the replays folder.\n";
    text += "record_every_match = " + std::string(flag(settings.recordEveryMatch)) + "\n";
    return text;
}
