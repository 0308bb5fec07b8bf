#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// $XDG_DATA_HOME/skirmora/replays, by default under ~/.local/share; none without a home.
std::optional<std::filesystem::path> replaysFolderPath();

// A recording in the replays folder.
struct Recording {
    std::filesystem::path path;
    std::filesystem::file_time_type modified;
};

// The folder where every match started from the menu is recorded, when the player asks for it.
// Recordings are named by the moment their match started, in UTC so that names sort as the matches
// were played: match-YYYYMMDD-HHMMSS.replay, with -2, -3, ... for matches started in the same second.
// Only files named so are ever removed; the player's own files there are listed and left alone.
class RecordingShelf {
public:
    // Keeps at most this many dated recordings, the newest.
    static constexpr std::size_t kKept = 100;

    explicit RecordingShelf(std::filesystem::path folder) : folder(std::move(folder)) {}

    // Makes the folder, removes the oldest dated recordings so that a new one leaves kKept, and names
    // the new one for a match started at startedAt; or why the folder cannot be used.
    std::variant<std::filesystem::path, std::string> prepareNew(std::time_t startedAt) const;
    // Every .replay file of the folder, the most recently written first; none if there is no folder.
    std::vector<Recording> newestFirst() const;

    // The dated name for a match started at startedAt, the sequence-th in its second (1 for the first).
    static std::string datedName(std::time_t startedAt, int sequence = 1);

private:
    std::filesystem::path folder;
};
