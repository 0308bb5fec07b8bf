#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <variant>

#include "SettingsFile.h"

namespace fs = std::filesystem;

// The settings a player keeps: the text's rules, the file's place, and when it is written.
namespace {

Settings unusual()
{
    Settings settings;
    settings.volume = 35;
    settings.mute = true;
    settings.fullScreen = true;
    settings.inputDelay = 8;
    settings.joinAddress = "localhost:7800";
    settings.hostPort = 65535;
    settings.computerLevel = ComputerLevel::Hard;
    settings.personPlayer = 2;
    settings.recordEveryMatch = true;
    return settings;
}

std::string refusal(const std::string& text)
{
    const auto parsed = parseSettings(text);
    const auto* error = std::get_if<SettingsError>(&parsed);
    return error == nullptr ? "accepted" : std::to_string(error->line) + ": " + error->message;
}

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch folder of its own, removed afterwards.
struct Scratch {
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "skirmora_settings_XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    ~Scratch() { fs::remove_all(folder); }
    fs::path folder;
};

TEST(Settings, TextRoundTripsAndLeftOutKeysKeepTheirDefaults)
{
    const Settings settings = unusual();
    const auto parsed = parseSettings(formatSettings(settings));
    ASSERT_TRUE(std::holds_alternative<Settings>(parsed)) << refusal(formatSettings(settings));
    EXPECT_EQ(std::get<Settings>(parsed), settings);

    // An empty text, comments and blank lines: the defaults; spaces around '=' and the ends do not count.
    EXPECT_EQ(std::get<Settings>(parseSettings("")), Settings());
    const auto some = parseSettings("# mine\n\n  volume=40 \n\tyour_side = mouse\njoin_address =\n");
    ASSERT_TRUE(std::holds_alternative<Settings>(some));
    Settings expected;
    expected.volume = 40;
    expected.personPlayer = 2;
    EXPECT_EQ(std::get<Settings>(some), expected);
}

TEST(Settings, AnythingOutOfRuleRefusesTheWholeTextAtItsLine)
{
    const std::string volume = "'volume' must be a volume from 0 to 100",
                      port = "'host_port' must be a port from 1 to 65535";
    const std::pair<std::string, std::string> cases[] = {
        // Each range just past its ends, and numbers only as plain digits.
        {"volume = 101\n", "1: " + volume},
        {"volume = 050\n", "1: " + volume},
        {"volume = +5\n", "1: " + volume},
        {"volume = 5 5\n", "1: " + volume},
        {"input_delay = 9\n", "1: 'input_delay' must be an input delay from 0 to 8 ticks"},
        {"host_port = 0\n", "1: " + port},
        {"host_port = 65536\n", "1: " + port},
        {"host_port = 99999999999999\n", "1: " + port},
        // Words from their own lists only.
        {"mute = yes\n", "1: 'mute' must be true or false"},
        {"computer_level = Hard\n", "1: 'computer_level' must be easy, normal or hard"},
        {"your_side = left\n", "1: 'your_side' must be keyboard or mouse"},
        {"join_address = two words\n", "1: 'join_address' must be a host name or address, with no spaces"},
        {"join_address = " + std::string(Settings::kMaxJoinAddress + 1, 'a') + "\n",
         "1: 'join_address' must be a host name or address, with no spaces"},
        // Lines that are not settings.
        {"volume = 100\nvolume = 0\n", "2: 'volume' twice"},
        {"\nvolumes = 3\n", "2: unknown setting 'volumes'"},
        {"[sound]\n", "1: expected key = value"},
        {"mute = true", "1: the last line has no end"},
        {"mute = true\r\n", "1: a control character"},
        {std::string("mute = \0true\n", 13), "1: a control character"},
        {"# " + std::string(600, 'x') + "\n", "1: line too long"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(refusal(text), expected) << text;
}

TEST(Settings, FoldersFollowTheBaseDirectoryRules)
{
    EXPECT_EQ(xdgFolder("/cfg", "/home/p", ".config"), fs::path("/cfg"));
    // Unset, empty or relative: the home's default.
    EXPECT_EQ(xdgFolder(nullptr, "/home/p", ".config"), fs::path("/home/p/.config"));
    EXPECT_EQ(xdgFolder("", "/home/p", ".local/share"), fs::path("/home/p/.local/share"));
    EXPECT_EQ(xdgFolder("cfg", "/home/p", ".config"), fs::path("/home/p/.config"));
    // Without a usable home either, there is nowhere to keep anything.
    EXPECT_EQ(xdgFolder(nullptr, nullptr, ".config"), std::nullopt);
    EXPECT_EQ(xdgFolder(nullptr, "home", ".config"), std::nullopt);
}

TEST(Settings, AChangedSettingIsWrittenAtOnceAndFoundAgainNextRun)
{
    Scratch scratch;
    const fs::path file = scratch.folder / "skirmora" / "settings.ini";
    std::ostringstream messages;
    {
        // No file yet: the defaults, and nothing is written until a setting changes.
        KeptSettings kept(file, messages);
        EXPECT_EQ(kept.current(), Settings());
        EXPECT_TRUE(kept.adopt(kept.current()));
        EXPECT_FALSE(fs::exists(file));

        Settings shown = kept.current();
        shown.volume = 60;
        shown.recordEveryMatch = true;
        EXPECT_TRUE(kept.adopt(shown));
        EXPECT_EQ(kept.current(), shown);
    }
    // One file, no temporary left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
    KeptSettings again(file, messages);
    EXPECT_EQ(again.current().volume, 60);
    EXPECT_TRUE(again.current().recordEveryMatch);
    EXPECT_EQ(messages.str(), "");
}

TEST(Settings, TheCommandLineHoldsForOneRunAndIsNeverWritten)
{
    Scratch scratch;
    const fs::path file = scratch.folder / "settings.ini";
    ASSERT_EQ(writeFileAtomically(file, "volume = 80\n"), "");
    std::ostringstream messages;
    KeptSettings kept(file, messages);
    kept.overrides().mute = true;
    EXPECT_TRUE(kept.current().mute);

    // The player changes something else: the file gets that, and still not the override.
    Settings shown = kept.current();
    shown.inputDelay = 5;
    kept.adopt(shown);
    EXPECT_TRUE(kept.current().mute);
    const Settings written = std::get<Settings>(parseSettings(contents(file)));
    EXPECT_FALSE(written.mute);
    EXPECT_EQ(written.volume, 80);
    EXPECT_EQ(written.inputDelay, 5);
    // Turning the override off by hand is a change of the player's own.
    shown.mute = false;
    kept.adopt(shown);
    shown.mute = true;
    kept.adopt(shown);
    EXPECT_TRUE(std::get<Settings>(parseSettings(contents(file))).mute);
}

TEST(Settings, ADamagedFileIsNamedOnceAndLeftAloneUntilASettingChanges)
{
    Scratch scratch;
    const fs::path file = scratch.folder / "settings.ini";
    const std::string damaged = "mute = true\nvolume = loud\n";
    ASSERT_EQ(writeFileAtomically(file, damaged), "");
    std::ostringstream messages;
    KeptSettings kept(file, messages);
    EXPECT_EQ(messages.str(), "skirmora: " + file.string() +
                                  ":2: 'volume' must be a volume from 0 to 100; playing with the default settings\n");
    EXPECT_EQ(kept.current(), Settings());
    EXPECT_EQ(contents(file), damaged);

    Settings shown = kept.current();
    shown.fullScreen = true;
    kept.adopt(shown);
    Settings expected;
    expected.fullScreen = true;
    EXPECT_EQ(std::get<Settings>(parseSettings(contents(file))), expected);

    // A folder where the file should be, and a file too big to be ours: one line each, the defaults.
    const fs::path folder = scratch.folder / "folder.ini";
    fs::create_directory(folder);
    std::ostringstream folderMessages;
    EXPECT_EQ(KeptSettings(folder, folderMessages).current(), Settings());
    EXPECT_EQ(folderMessages.str(),
              "skirmora: " + folder.string() + ": not a file; playing with the default settings\n");
    const fs::path big = scratch.folder / "big.ini";
    ASSERT_EQ(writeFileAtomically(big, std::string(20000, '#') + "\n"), "");
    EXPECT_EQ(loadSettingsFile(big).problem, big.string() + ": too big; playing with the default settings");
}

TEST(Settings, AFileThatCannotBeWrittenLeavesTheSettingsForThisRun)
{
    Scratch scratch;
    // A file where the folder should be.
    std::ofstream(scratch.folder / "skirmora") << "in the way\n";
    const fs::path file = scratch.folder / "skirmora" / "settings.ini";
    std::ostringstream messages;
    KeptSettings kept(file, messages);
    Settings shown = kept.current();
    shown.volume = 10;
    EXPECT_FALSE(kept.adopt(shown));
    EXPECT_EQ(kept.current().volume, 10);
    const std::string said = messages.str();
    EXPECT_NE(said.find("; the settings hold for this run only\n"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

} // namespace
