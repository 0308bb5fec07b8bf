#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <variant>
#include <vector>

#include "Recordings.h"

namespace fs = std::filesystem;

// The replays folder: dated names, at most a hundred of them, and the list newest first.
namespace {

struct Scratch {
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "skirmora_recordings_XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    ~Scratch() { fs::remove_all(folder); }
    fs::path folder;
};

void touch(const fs::path& path) { std::ofstream(path) << "skirmora-replay 1\n"; }

std::vector<std::string> names(const std::vector<Recording>& recordings)
{
    std::vector<std::string> out;
    for (const Recording& recording : recordings) out.push_back(recording.path.filename().string());
    return out;
}

// 2026-12-07 18:53:07 UTC.
constexpr std::time_t kSomeMoment = 1796669587;

TEST(Recordings, ANewRecordingKeepsTheNewestHundredDatedOnesAndNothingElseGoes)
{
    Scratch scratch;
    const fs::path folder = scratch.folder / "skirmora" / "replays";
    // The folder is made when first needed.
    const auto first = RecordingShelf(folder).prepareNew(kSomeMoment);
    ASSERT_TRUE(std::holds_alternative<fs::path>(first));
    EXPECT_EQ(std::get<fs::path>(first), folder / "match-20261207-185307.replay");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(RecordingShelf::datedName(0, 12), "match-19700101-000000-12.replay");

    // 105 dated ones, the sequence numbers past 9 among them, and the player's own files.
    for (int i = 0; i < 95; ++i) touch(folder / RecordingShelf::datedName(1000 + i * 60));
    for (int sequence = 1; sequence <= 10; ++sequence) touch(folder / RecordingShelf::datedName(500, sequence));
    touch(folder / "mine.replay");
    touch(folder / "match-notes.replay");
    touch(folder / "notes.txt");
    const RecordingShelf shelf(folder);
    const auto next = shelf.prepareNew(kSomeMoment);
    ASSERT_TRUE(std::holds_alternative<fs::path>(next));
    touch(std::get<fs::path>(next));
    // The six oldest went, so that the new one makes a hundred: the first in a second goes before its sequels.
    for (int sequence = 1; sequence <= 10; ++sequence)
        EXPECT_EQ(fs::exists(folder / RecordingShelf::datedName(500, sequence)), sequence > 6) << sequence;
    EXPECT_TRUE(fs::exists(folder / RecordingShelf::datedName(1000)));
    EXPECT_TRUE(fs::exists(folder / "mine.replay"));
    EXPECT_TRUE(fs::exists(folder / "match-notes.replay"));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    EXPECT_EQ(shelf.newestFirst().size(), 100u + 2u);

    // A second match in the same second gets the next sequence number.
    const auto same = shelf.prepareNew(kSomeMoment);
    EXPECT_EQ(std::get<fs::path>(same), folder / "match-20261207-185307-2.replay");
}

TEST(Recordings, TheListIsNewestFirstAndEmptyWithoutAFolder)
{
    Scratch scratch;
    EXPECT_TRUE(RecordingShelf(scratch.folder / "none").newestFirst().empty());

    const fs::path folder = scratch.folder;
    const auto now = fs::file_time_type::clock::now();
    const auto written = [&](const std::string& name, int minutesAgo) {
        touch(folder / name);
        fs::last_write_time(folder / name, now - std::chrono::minutes(minutesAgo));
    };
    written("old.replay", 30);
    written("newer.replay", 5);
    // Written in the same instant: the dated order decides, 10 after 9.
    written(RecordingShelf::datedName(kSomeMoment, 9), 10);
    written(RecordingShelf::datedName(kSomeMoment, 10), 10);
    written("notes.txt", 0);
    fs::create_directory(folder / "folder.replay");
    EXPECT_EQ(names(RecordingShelf(folder).newestFirst()),
              (std::vector<std::string>{"newer.replay", "match-20261207-185307-10.replay",
                                        "match-20261207-185307-9.replay", "old.replay"}));
}

TEST(Recordings, AFolderThatCannotBeMadeIsNamed)
{
    Scratch scratch;
    touch(scratch.folder / "replays");
    const auto made = RecordingShelf(scratch.folder / "replays" / "more").prepareNew(kSomeMoment);
    ASSERT_TRUE(std::holds_alternative<std::string>(made));
    EXPECT_EQ(std::get<std::string>(made).rfind("cannot make " + (scratch.folder / "replays" / "more").string(), 0),
              0u);
}

} // namespace
