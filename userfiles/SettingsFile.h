#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "Settings.h"

// The folder an XDG base-directory variable names when it holds an absolute path, else home/fallback;
// none when neither is usable. variable and home are the environment's values (null when unset).
std::optional<std::filesystem::path> xdgFolder(const char* variable, const char* home, std::string_view fallback);

// $XDG_CONFIG_HOME/skirmora/settings.ini, by default under ~/.config; none without a home.
std::optional<std::filesystem::path> settingsFilePath();

// Puts text in the file at path so that it holds either the old text or the new, whatever happens
// meanwhile: a temporary file in the same folder, synced, then renamed over it. Makes the folder. ""
// when it worked, else why not.
std::string writeFileAtomically(const std::filesystem::path& path, std::string_view text);

// The settings in a file, and why they are the defaults instead when the file cannot be used (a
// missing file is no problem: it was never written).
struct LoadedSettings {
    Settings settings;
    std::string problem;
};
LoadedSettings loadSettingsFile(const std::filesystem::path& path);

// The player's settings for this run: those of the file, with whatever the command line overrides, and
// written back at once when the player changes one. A file that could not be used is left alone until
// then.
class KeptSettings {
public:
    // Reads the file (none: nothing is read or written); a problem gives one line on messages.
    KeptSettings(std::optional<std::filesystem::path> file, std::ostream& messages);

    // What holds for this run.
    const Settings& current() const { return run; }
    // Settings the command line gives for this run only; the file keeps its own.
    Settings& overrides() { return run; }
    // The player changed some settings: each value where shown differs from current() is taken, for
    // this run and for the file, which is written at once if its text changed. False if writing failed
    // (one line on messages).
    bool adopt(const Settings& shown);

private:
    std::optional<std::filesystem::path> file;
    std::ostream& messages;
    Settings kept;
    Settings run;
};
