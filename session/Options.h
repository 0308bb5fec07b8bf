#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "NetTransport.h"
#include "PlayerSources.h"

// The program's command line.
struct Options {
    // Where the other player is: at this desk, or on another machine reached by hosting or joining.
    enum class Role { Alone, Host, Join };

    std::string recordPath;
    std::string replayPath;
    bool headless = false;
    // No sound: no audio device is opened.
    bool mute = false;
    // --help: print the usage and do nothing else.
    bool help = false;
    // --version: print the program's name and version and do nothing else.
    bool version = false;
    // The match ends after this tick; 0 for a match without end.
    std::uint64_t ticks = 0;
    SourceChoice player1;
    SourceChoice player2;
    Role role = Role::Alone;
    // Host: the UDP port to listen on; join: where the host is.
    Endpoint endpoint;
    // Host: ticks between reading this machine's input and its taking effect (the joiner learns it).
    int inputDelay = kDefaultInputDelay;
    // What is left for the toolkit (-display and the like), program name first, then a null.
    std::vector<char*> toolkitArgs;

    bool anyLocalPlayer() const
    {
        return player1.kind == SourceChoice::Kind::Local || player2.kind == SourceChoice::Kind::Local;
    }
    // Online: the player this machine plays (1 or 2); the other is remote.
    int ownPlayer() const { return player1.kind == SourceChoice::Kind::Remote ? 2 : 1; }
};

// How to call the program.
extern const char* const kUsage;
// What --version prints: "skirmora X.Y.Z" and a newline.
extern const char* const kVersionLine;

// The options argv asks for, or why it asks for nothing sensible, in one line.
std::variant<Options, std::string> parseOptions(int argc, char** argv);
