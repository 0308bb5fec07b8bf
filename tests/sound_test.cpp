#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sndfile.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "SoundPlayer.h"

namespace fs = std::filesystem;

namespace {

const fs::path kShippedSounds = SKIRMORA_SOUNDS_DIR;
const Listener kCamera{{0.0f, 0.0f}, 400.0f, 300.0f};
constexpr char kNullDevice[] = "[general]\ndrivers=null\n";
// No backend has this name, so the default device cannot be opened.
constexpr char kNoDevice[] = "[general]\ndrivers=none\n";

// The wave writer mixes in real time into file, and finishes the file when the device closes.
std::string waveCapture(const fs::path& file)
{
    return "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\nfrequency=44100\ndither=false\n[wave]\nfile=" +
           file.string() + "\n";
}

// A fresh folder under this process's own, which goes when the process ends (and not when a child does).
fs::path scratch(const std::string& name)
{
    static const struct Root {
        pid_t owner = getpid();
        fs::path path = fs::temp_directory_path() / ("skirmora_sound_test_" + std::to_string(owner));
        ~Root()
        {
            if (getpid() == owner) fs::remove_all(path);
        }
    } root;
    const fs::path dir = root.path / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// OpenAL reads its configuration once per process, so each check runs in a child process of its own
// with config as its configuration; a failure there prints there and fails the test here. The child
// ends through exit() so that the leak checker of a sanitizer build looks at it too.
void withOpenAl(const std::string& config, const std::function<void()>& check)
{
    const fs::path file = scratch("config") / "alsoft.conf";
    std::ofstream(file) << config;
    std::cout.flush();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("ALSOFT_CONF", file.c_str(), 1);
        check();
        std::exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the check in the child process failed";
}

std::vector<MatchEvent> events(std::initializer_list<MatchEventKind> kinds, Vec2 where = {})
{
    std::vector<MatchEvent> result;
    for (const MatchEventKind kind : kinds) result.push_back({kind, where, 0});
    return result;
}

// value as its low bytes, little-endian.
std::string le(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
    return out;
}

// A canonical 44-byte header and data chunk holding frames frames of a quiet tone.
std::string goodWav(std::uint16_t channels = 1, std::uint32_t frames = 4410)
{
    const std::uint32_t dataBytes = frames * channels * 2;
    std::string data;
    for (std::uint32_t i = 0; i < frames * channels; ++i)
        data += le(static_cast<std::uint16_t>(std::lrint(3000.0 * std::sin(0.05 * i))), 2);
    return "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(44100, 4) +
           le(44100u * channels * 2, 4) + le(channels * 2u, 2) + le(16, 2) + "data" + le(dataBytes, 4) + data;
}

std::function<void(const fs::path&)> written(const std::string& bytes)
{
    return [=](const fs::path& path) { std::ofstream(path, std::ios::binary) << bytes; };
}
// goodWav with the little-endian field of width bytes at offset set to value.
auto patched(std::size_t offset, std::uint32_t value, int width = 4)
{
    return written(goodWav().replace(offset, width, le(value, width)));
}

// A file the sound library itself writes, sample after sample from make.
std::function<void(const fs::path&)> library(int format, int channels, int rate, sf_count_t frames,
                                             std::function<float(sf_count_t)> make = {})
{
    return [=](const fs::path& path) {
        SF_INFO info{0, rate, channels, format, 0, 0};
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<float> samples(static_cast<std::size_t>(frames * channels));
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = make ? make(i) : 0.1f;
        sf_writef_float(file, samples.data(), frames);
        sf_close(file);
    };
}

struct Capture {
    double leftEnergy = 0.0, rightEnergy = 0.0; // sums of squared samples
    int peak = 0;
    sf_count_t frames = 0;
};

// Has play do its part on a captured device, waits for seconds and returns what came out.
Capture capturedWhile(const std::string& name, const std::function<void(SoundPlayer&)>& play, double seconds)
{
    const fs::path path = scratch(name) / "capture.wav";
    withOpenAl(waveCapture(path), [&] {
        {
            std::ostringstream messages;
            SoundPlayer player(kShippedSounds, messages);
            ASSERT_TRUE(player.hasDevice()) << messages.str();
            play(player);
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        } // the device closes, and the file is complete
    });
    Capture capture;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_TRUE(file != nullptr && info.channels == 2) << sf_strerror(nullptr);
    short frame[2];
    while (file != nullptr && info.channels == 2 && sf_readf_short(file, frame, 1) == 1) {
        capture.leftEnergy += frame[0] * frame[0];
        capture.rightEnergy += frame[1] * frame[1];
        capture.peak = std::max({capture.peak, std::abs(frame[0]), std::abs(frame[1])});
        ++capture.frames;
    }
    if (file != nullptr) sf_close(file);
    return capture;
}

// Plays tick's events on a captured device.
Capture captured(const std::string& name, const std::vector<MatchEvent>& tick, double seconds)
{
    return capturedWhile(
        name, [&tick](SoundPlayer& player) { player.play(tick, kCamera); }, seconds);
}

TEST(SoundPlayer, ShippedSoundsPlayAndStopByEvent)
{
    withOpenAl(kNullDevice, [] {
        std::ostringstream messages;
        SoundPlayer player(kShippedSounds, messages);
        ASSERT_TRUE(player.hasDevice());
        EXPECT_EQ(messages.str(), "");
        std::vector<MatchEvent> tick;
        for (int kind = 0; kind <= static_cast<int>(MatchEventKind::PlayerRespawned); ++kind)
            if (kind != static_cast<int>(MatchEventKind::WallScrape)) tick.push_back({MatchEventKind(kind), {}, 0});
        player.play(tick, kCamera, 3);
        for (const MatchEvent& event : tick) EXPECT_TRUE(player.playing({3, event.kind, 0}));

        // Undoing one event stops its sound alone.
        player.stop({3, MatchEventKind::Player1Hit, 0});
        EXPECT_FALSE(player.playing({3, MatchEventKind::Player1Hit, 0}));
        EXPECT_TRUE(player.playing({3, MatchEventKind::Player2Hit, 0}));
        EXPECT_FALSE(player.playing({4, MatchEventKind::Player2Hit, 0}));

        player.stopAll();
        for (const MatchEvent& event : tick) EXPECT_FALSE(player.playing({3, event.kind, 0}));

        // More sounds than voices: the oldest give way.
        player.play(std::vector<MatchEvent>(40, {MatchEventKind::PlayerDied, {}, 0}), kCamera, 5);
        EXPECT_FALSE(player.playing({5, MatchEventKind::PlayerDied, 0}));
        EXPECT_TRUE(player.playing({5, MatchEventKind::PlayerDied, 39}));

        // The scrape loops past its clip's length while contact lasts, as the sound that contact started,
        // stops at the first tick without contact, and starts afresh with the next.
        const SoundId scrape{6, MatchEventKind::WallScrape, 0};
        player.play(events({MatchEventKind::WallScrape}), kCamera, 6);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        player.play(events({MatchEventKind::WallScrape, MatchEventKind::WallScrape}), kCamera, 7);
        EXPECT_TRUE(player.playing(scrape));
        player.play({}, kCamera, 8);
        EXPECT_FALSE(player.playing(scrape));
        player.play(events({MatchEventKind::WallScrape}), kCamera, 9);
        EXPECT_TRUE(player.playing({9, MatchEventKind::WallScrape, 0}));

        // One event at a time under a given id, as a rollback's catch-up starts them: contact that goes on keeps
        // the loop as it started, a stop of that id ends it, and so does stopScrape whatever it started as.
        const MatchEvent contact{MatchEventKind::WallScrape, {}, 0};
        player.start({MatchEventKind::BulletBounced, {}, 0}, {12, MatchEventKind::BulletBounced, 1}, kCamera);
        EXPECT_TRUE(player.playing({12, MatchEventKind::BulletBounced, 1}));
        player.start(contact, {12, MatchEventKind::WallScrape, 0}, kCamera);
        EXPECT_TRUE(player.playing({9, MatchEventKind::WallScrape, 0}));
        player.stop({9, MatchEventKind::WallScrape, 0});
        EXPECT_FALSE(player.playing({9, MatchEventKind::WallScrape, 0}));
        player.start(contact, {12, MatchEventKind::WallScrape, 0}, kCamera);
        EXPECT_TRUE(player.playing({12, MatchEventKind::WallScrape, 0}));
        player.stopScrape();
        EXPECT_FALSE(player.playing({12, MatchEventKind::WallScrape, 0}));
    });
}

TEST(SoundPlayer, NoDeviceGivesOneLineAndStaysHarmless)
{
    withOpenAl(kNoDevice, [] {
        std::ostringstream messages;
        SoundPlayer player("/nonexistent", messages);
        EXPECT_EQ(messages.str(), "skirmora: no audio device; playing silent\n");
        EXPECT_FALSE(player.hasDevice());
        player.play(events({MatchEventKind::BallThrown, MatchEventKind::WallScrape}), kCamera, 1);
        player.stop({1, MatchEventKind::BallThrown, 0});
        EXPECT_FALSE(player.playing({1, MatchEventKind::BallThrown, 0}));
        player.stopAll();
    });
}

// One sound file replaced by each case in turn: a damaged one gives exactly one line, naming the file
// and why, and the other sounds still play; an unusual but sound one loads and plays.
TEST(SoundPlayer, DamagedSoundFilesAreRefusedOneByOne)
{
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& byte : noise) byte = static_cast<char>(random());
    const struct {
        const char* name;
        const char* reason; // a fragment of the line; "" for a file that loads
        std::function<void(const fs::path&)> write;
    } cases[] = {
        {"missing", "no such file", [](const fs::path&) {}},
        {"a directory", "is a directory", [](const fs::path& path) { fs::create_directory(path); }},
        {"a pipe", "not a regular file", [](const fs::path& path) { mkfifo(path.c_str(), 0600); }},
        {"empty", "not a sound file", written("")},
        {"header cut short", "not a sound file", written(goodWav().substr(0, 20))},
        {"an image", "not a sound file", written("\x89PNG\r\n\x1a\n" + noise)},
        {"random bytes", "not a sound file", written(noise)},
        {"64 MiB", "larger than 16 MiB", written(goodWav().append((64u << 20) - goodWav().size(), '\0'))},
        {"fmt chunk declares 4 GiB", "not a sound file", patched(16, 0xFFFFFFF0u)},
        {"unknown encoding", "not a sound file", patched(20, 0x1234, 2)},
        {"0 bits per sample", "not a sound file", patched(34, 0, 2)},
        {"0 channels", "not a sound file", patched(22, 0, 2)},
        {"9 channels", "9 channels", library(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 9, 44100, 100)},
        {"rate 1000", "rate of 1000 Hz", patched(24, 1000)},
        {"data shorter than a frame", "holds no sound", written(goodWav(2, 0).substr(0, 40) + "\3\0\0\0abc")},
        {"no data chunk", "not a sound file", written(goodWav().substr(0, 36))},
        {"NaN samples", "not finite",
         library(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 100, [](auto) { return std::nanf(""); })},
        {"infinite samples", "not finite",
         library(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 100, [](auto i) { return i == 50 ? -HUGE_VALF : 0.0f; })},
        {"AIFF at 4000 Hz", "rate of 4000 Hz", library(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 4000, 400)},
        {"FLAC of 6 s", "longer than 5 s", library(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 8000, 48000)},
        {"data declares 4 GiB, holds 0.1 s", "", patched(40, 0xFFFFFFF0u)},
        {"FLAC cut in half", "cut short",
         [&](const fs::path& path) {
             library(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, 44100,
                     [&](auto) { return std::sin(float(random())); })(path);
             fs::resize_file(path, fs::file_size(path) / 2);
         }},
        {"stereo", "", written(goodWav(2))},
        {"floats past full scale", "",
         library(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 100, [](auto) { return 3.0f; })},
        {"8000 Hz, 5 s", "", library(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000, 40000)},
        {"192000 Hz, 24 bits", "", library(SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 192000, 1000)},
        {"FLAC", "", library(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 48000, 1000)},
    };
    withOpenAl(kNullDevice, [&] {
        for (const auto& damage : cases) {
            SCOPED_TRACE(damage.name);
            const fs::path dir = scratch("damaged");
            fs::copy(kShippedSounds, dir);
            const fs::path damaged = dir / soundFileName(MatchEventKind::BulletFired);
            fs::remove(damaged);
            damage.write(damaged);
            std::ostringstream messages;
            SoundPlayer player(dir, messages);
            // One line naming the file and why, or none.
            const std::string line =
                "skirmora: sound " + damaged.string() + ": [^\n]*" + damage.reason + "[^\n]*; it stays silent\n";
            EXPECT_THAT(messages.str(), testing::MatchesRegex(*damage.reason != '\0' ? line : ""));
            player.play(events({MatchEventKind::BallThrown, MatchEventKind::BulletFired}), kCamera);
            EXPECT_TRUE(player.playing({0, MatchEventKind::BallThrown, 0}));
            EXPECT_EQ(player.playing({0, MatchEventKind::BulletFired, 0}), *damage.reason == '\0');
        }
    });
}

// The capture device mixes into a stereo file: a sound a quarter view left of the camera is louder on
// the left yet heard on the right, one at the right edge comes from the right, one in the middle from
// both evenly, one ten views away is much quieter, and with nothing played there is silence.
TEST(SoundPlayer, TheMixFollowsWhereSoundsAre)
{
    const Capture left = captured("left", events({MatchEventKind::PlayerDied}, {-100.0f, 0.0f}), 0.5);
    const Capture right = captured("right", events({MatchEventKind::PlayerDied}, {200.0f, 0.0f}), 0.5);
    const Capture middle = captured("middle", events({MatchEventKind::PlayerDied}, {0.0f, 50.0f}), 0.5);
    const Capture far = captured("far", events({MatchEventKind::PlayerDied}, {-4000.0f, 0.0f}), 0.5);
    const Capture quiet = captured("quiet", {}, 0.3);
    EXPECT_GT(left.leftEnergy, 2.0 * left.rightEnergy);
    EXPECT_GT(left.rightEnergy, 0.0);
    EXPECT_GT(right.rightEnergy, 2.0 * right.leftEnergy);
    EXPECT_NEAR(middle.leftEnergy / middle.rightEnergy, 1.0, 0.1);
    EXPECT_LT(far.leftEnergy + far.rightEnergy, 0.25 * (left.leftEnergy + left.rightEnergy));
    EXPECT_GT(quiet.frames, 4410);
    EXPECT_EQ(quiet.peak, 0);
}

// The menus' cues sound from straight ahead and well below the match's sounds, and the volume scales
// everything: half the volume is a quarter of the energy, none is silence.
TEST(SoundPlayer, MenuCuesAreQuietAndTheVolumeScalesEverything)
{
    const auto cues = [](float volume) {
        return [volume](SoundPlayer& player) {
            player.setVolume(volume);
            player.playCue(SoundCue::MenuMove);
            player.playCue(SoundCue::MenuChoose);
        };
    };
    const Capture full = capturedWhile("cues", cues(1.0f), 0.4);
    const Capture half = capturedWhile("half", cues(0.5f), 0.4);
    const Capture none = capturedWhile("none", cues(0.0f), 0.4);
    const Capture match = captured("match", events({MatchEventKind::PlayerRespawned}, {0.0f, 0.0f}), 0.4);
    EXPECT_GT(full.leftEnergy, 0.0);
    EXPECT_NEAR(full.leftEnergy / full.rightEnergy, 1.0, 0.05);
    EXPECT_LT(full.peak, match.peak / 2);
    EXPECT_NEAR((half.leftEnergy + half.rightEnergy) / (full.leftEnergy + full.rightEnergy), 0.25, 0.03);
    EXPECT_EQ(none.peak, 0);
}

} // namespace
