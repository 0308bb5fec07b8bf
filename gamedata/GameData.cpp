#include "GameData.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool holdsGraphics(const fs::path& folder)
{
    std::error_code error;
    return fs::is_directory(folder / "Graphics", error);
}

// Whether path lies inside folder, comparing whole components of both made absolute and free of . and ..
bool inside(const fs::path& path, const fs::path& folder)
{
    std::error_code error;
    const fs::path outer = fs::weakly_canonical(folder, error);
    if (error || outer.empty()) return false;
    const fs::path inner = fs::weakly_canonical(path, error);
    if (error) return false;
    auto at = inner.begin();
    for (const auto& part : outer) {
        if (part.empty()) continue; // a trailing separator
        if (at == inner.end() || *at != part) return false;
        ++at;
    }
    return true;
}

} // namespace

DataSearch thisProgramsSearch()
{
    DataSearch search;
    if (const char* chosen = std::getenv("SKIRMORA_DATA")) search.chosen = chosen;
    std::error_code error;
    search.executable = fs::read_symlink("/proc/self/exe", error).string();
    search.installed = SKIRMORA_INSTALLED_DATA;
    search.buildTree = SKIRMORA_BUILD_TREE;
    search.sourceContent = SKIRMORA_SOURCE_CONTENT;
    return search;
}

std::variant<GameData, std::string> findGameData(const DataSearch& search)
{
    if (!search.chosen.empty()) {
        if (holdsGraphics(search.chosen)) return GameData{search.chosen};
        return "SKIRMORA_DATA is " + search.chosen + ", which holds no Graphics/ folder of game images";
    }
    std::vector<fs::path> looked;
    if (!search.executable.empty()) {
        // operator/ keeps an installed path that is absolute as it is.
        looked.push_back((fs::path(search.executable).parent_path() / search.installed).lexically_normal());
        if (!search.buildTree.empty() && inside(search.executable, search.buildTree))
            looked.push_back(search.sourceContent);
    }
    for (const auto& folder : looked)
        if (holdsGraphics(folder)) return GameData{folder.string()};

    std::string where;
    for (const auto& folder : looked) where += (where.empty() ? "" : " or ") + folder.string();
    if (where.empty()) where = "nowhere (the program's own file is unknown)";
    return "no game data: no Graphics/ folder in " + where + "; set SKIRMORA_DATA to the folder that holds it";
}
