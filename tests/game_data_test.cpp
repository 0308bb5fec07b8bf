#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "GameData.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed after it: an installed tree, a build tree and a source tree are laid out inside.
class GameDataTest : public testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("skirmora-data-" + std::to_string(getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    // A data folder at path: Graphics/ in it, and Sounds/ unless the test wants images only.
    std::string dataAt(const fs::path& path)
    {
        fs::create_directories(path / "Graphics");
        return path.string();
    }

    // The search an installed program at prefix/bin/skirmora makes, built in root/build from root/src.
    DataSearch installedAt(const fs::path& prefix) const
    {
        return {"", (prefix / "bin/skirmora").string(), "../share/skirmora", (root / "build").string(),
                (root / "src/Content").string()};
    }

    static std::string problemOf(const std::variant<GameData, std::string>& found)
    {
        return std::holds_alternative<std::string>(found) ? std::get<std::string>(found) : "found";
    }
    static std::string folderOf(const std::variant<GameData, std::string>& found)
    {
        return std::holds_alternative<GameData>(found) ? std::get<GameData>(found).folder
                                                       : std::get<std::string>(found);
    }

    fs::path root;
};

TEST_F(GameDataTest, InstalledDataIsFoundBesideTheProgramWhereverTheTreeIs)
{
    // The usual layout, and the same tree under another name: only the program's own place counts.
    for (const char* tree : {"usr", "moved/elsewhere"}) {
        const std::string data = dataAt(root / tree / "share/skirmora");
        const auto found = findGameData(installedAt(root / tree));
        EXPECT_EQ(folderOf(found), data) << tree;
        EXPECT_EQ(std::get<GameData>(found).graphics(), data + "/Graphics");
        EXPECT_EQ(std::get<GameData>(found).sounds(), data + "/Sounds");
    }
    // Installed with an absolute data folder: that one, wherever the program is.
    DataSearch fixed = installedAt(root / "bin-only");
    fixed.installed = dataAt(root / "fixed/skirmora");
    EXPECT_EQ(folderOf(findGameData(fixed)), fixed.installed);
}

TEST_F(GameDataTest, ABuildTreeProgramUsesTheSourceTreeUnlessDataIsInstalledBesideIt)
{
    const std::string content = dataAt(root / "src/Content");
    EXPECT_EQ(folderOf(findGameData(installedAt(root / "build/session"))), content);
    // A trailing separator on the build folder and . or .. in the program's path change nothing.
    DataSearch untidy = installedAt(root / "build/session");
    untidy.buildTree += "/";
    untidy.executable = (root / "build/./tools/../session/skirmora").string();
    EXPECT_EQ(folderOf(findGameData(untidy)), content);
    // Installed data beside a program in the build tree comes first.
    const std::string beside = dataAt(root / "build/share/skirmora");
    EXPECT_EQ(folderOf(findGameData(installedAt(root / "build"))), beside);
    // A folder whose name only begins like the build folder's is not inside it.
    const std::string problem = problemOf(findGameData(installedAt(root / "build-other")));
    EXPECT_EQ(problem, "no game data: no Graphics/ folder in " + (root / "build-other/share/skirmora").string() +
                           "; set SKIRMORA_DATA to the folder that holds it");
}

TEST_F(GameDataTest, NoDataIsOneLineNamingEveryPlaceLooked)
{
    // In the build tree both places were looked in; a folder without Graphics/ does not count.
    fs::create_directories(root / "src/Content/Sounds");
    EXPECT_EQ(problemOf(findGameData(installedAt(root / "build/session"))),
              "no game data: no Graphics/ folder in " + (root / "build/session/share/skirmora").string() + " or " +
                  (root / "src/Content").string() + "; set SKIRMORA_DATA to the folder that holds it");
    // The program's own file unknown (no /proc): nowhere to look.
    DataSearch unknown = installedAt(root);
    unknown.executable.clear();
    EXPECT_NE(problemOf(findGameData(unknown)).find("nowhere"), std::string::npos);
}

TEST_F(GameDataTest, SkirmoraDataOverridesAndIsNeverSecondGuessed)
{
    dataAt(root / "usr/share/skirmora");
    DataSearch search = installedAt(root / "usr");
    search.chosen = dataAt(root / "mine");
    EXPECT_EQ(folderOf(findGameData(search)), search.chosen);
    // Chosen but without images: that is the answer, though installed data exists.
    search.chosen = (root / "empty").string();
    fs::create_directories(search.chosen);
    EXPECT_EQ(problemOf(findGameData(search)),
              "SKIRMORA_DATA is " + search.chosen + ", which holds no Graphics/ folder of game images");
}

} // namespace
