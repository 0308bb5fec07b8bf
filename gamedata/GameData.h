#pragma once

#include <string>
#include <variant>

// The folder that holds the game's images (Graphics/) and sounds (Sounds/).
struct GameData {
    std::string folder;

    std::string graphics() const { return folder + "/Graphics"; }
    std::string sounds() const { return folder + "/Sounds"; }
};

// What decides where the data is: the program's own file and the environment, and where the build put things.
struct DataSearch {
    // SKIRMORA_DATA; empty when unset.
    std::string chosen;
    // The running program's file, links resolved.
    std::string executable;
    // The installed data folder relative to the installed program's folder (absolute if installed to a fixed place).
    std::string installed;
    // A program inside this folder is a build's, and takes its data from sourceContent.
    std::string buildTree;
    std::string sourceContent;
};

// The search this program makes: its environment, /proc/self/exe and the layout it was built and installed with.
DataSearch thisProgramsSearch();

// The data folder: the chosen one when set, else the installed one beside the program, else, for a program in its
// build tree, the source tree's Content/. A folder counts only if it has Graphics/. Otherwise one line saying where
// it looked.
std::variant<GameData, std::string> findGameData(const DataSearch& search);
