#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "PlayerSources.h"

// The program's command line.
struct Options {
    std::string recordPath;
    std::string replayPath;
    bool headless = false;
    // No sound: no audio device is opened.
    bool mute = false;
    // --help: print the usage and do nothing else.
    bool help = false;
    // The match ends after this tick; 0 for a match without end.
    std::uint64_t ticks = 0;
    SourceSpec player1;
    SourceSpec player2;
    // What is left for the toolkit (-display and the like), program name first, then a null.
    std::vector<char*> toolkitArgs;

    bool anyLocalPlayer() const
    {
        return player1.kind == SourceSpec::Kind::Local || player2.kind == SourceSpec::Kind::Local;
    }
};

// How to call the program.
extern const char* const kUsage;

// The options argv asks for, or why it asks for nothing sensible, in one line.
std::variant<Options, std::string> parseOptions(int argc, char** argv);
