#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

// How hard the computer plays.
enum class ComputerLevel : std::uint8_t { Easy, Normal, Hard };

// What a player chooses once and expects to find again next time.
struct Settings {
    // Percent of full loudness, 0 to 100, for every sound of the game and its menus.
    int volume = 100;
    bool mute = false;
    bool fullScreen = false;
    // Ticks between reading this machine's input and its taking effect online, 0 to 8.
    int inputDelay = 2;
    // What was last typed to join a match (HOST or HOST:PORT); empty before the first join.
    std::string joinAddress;
    // The UDP port a hosted match listens on, 1 to 65535.
    int hostPort = 7770;
    ComputerLevel computerLevel = ComputerLevel::Normal;
    // The player the person takes against the computer: 1 (keyboard) or 2 (mouse).
    int personPlayer = 1;
    // Each match started from the menu is recorded to the replays folder.
    bool recordEveryMatch = false;

    static constexpr int kMaxVolume = 100;
    static constexpr int kMaxInputDelay = 8;
    // A join address longer than any host name and port could be is refused.
    static constexpr std::size_t kMaxJoinAddress = 261;

    bool operator==(const Settings& other) const;
    bool operator!=(const Settings& other) const { return !(*this == other); }
};

// Why a settings text cannot be used: the line at fault (0 for the whole text) and the reason.
struct SettingsError {
    int line = 0;
    std::string message;
};

// Reads a settings text as formatSettings writes it. Keys it leaves out keep their defaults; anything
// else it does not know, any value out of range and any malformed line refuses the whole text, which
// may come from anywhere.
std::variant<Settings, SettingsError> parseSettings(std::string_view text);

// The text of settings, every key with a comment, ready for a file.
std::string formatSettings(const Settings& settings);

// The level's word in the file and on the menu ("easy", "normal", "hard").
const char* levelName(ComputerLevel level);

// Whether text may stand as a join address: printable characters without spaces, not too long.
bool validJoinAddress(std::string_view text);
