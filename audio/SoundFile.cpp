#include "SoundFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sndfile.h>
#include <system_error>

namespace {

// Five seconds of stereo 64-bit samples at the highest rate fit, with room for headers; larger files
// are refused before the library reads them.
constexpr std::uintmax_t kMaxSoundFileBytes = 16u << 20;

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFileHandle = std::unique_ptr<SNDFILE, SoundFileCloser>;

// Why the file at path cannot be handed to the library, or "".
std::string fileProblem(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (type == fs::file_type::not_found) return "no such file";
    if (type == fs::file_type::directory) return "is a directory";
    if (type != fs::file_type::regular) return error ? error.message() : "not a regular file";
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return error.message();
    if (size > kMaxSoundFileBytes) return "file is larger than " + std::to_string(kMaxSoundFileBytes >> 20) + " MiB";
    return "";
}

// Why what the library found in a file is out of range, or "".
std::string formatProblem(const SF_INFO& info)
{
    if (info.channels != 1 && info.channels != 2)
        return "has " + std::to_string(info.channels) + " channels; only mono and stereo are played";
    if (info.samplerate < kMinSoundRate || info.samplerate > kMaxSoundRate)
        return "has a rate of " + std::to_string(info.samplerate) + " Hz, outside " + std::to_string(kMinSoundRate) +
               " to " + std::to_string(kMaxSoundRate);
    if (info.frames <= 0) return "holds no sound";
    if (info.frames > static_cast<sf_count_t>(kMaxSoundSeconds) * info.samplerate)
        return "lasts longer than " + std::to_string(kMaxSoundSeconds) + " s";
    return "";
}

} // namespace

bool readSoundFile(const std::string& path, SoundClip& clip, std::string& problem)
{
    problem = fileProblem(path);
    if (!problem.empty()) return false;
    SF_INFO info{};
    const SoundFileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        problem = std::string("not a sound file that can be read (") + sf_strerror(nullptr) + ")";
        return false;
    }
    problem = formatProblem(info);
    if (!problem.empty()) return false;

    // Read as floats, whatever the encoding, so that a float file's samples can be checked before
    // they are scaled; integer encodings come back exact in [-1, 1).
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t frames = sf_readf_float(file.get(), samples.data(), info.frames);
    if (frames != info.frames) {
        problem = "is cut short: " + std::to_string(frames) + " of " + std::to_string(info.frames) + " frames read";
        return false;
    }
    if (!std::all_of(samples.begin(), samples.end(), [](float sample) { return std::isfinite(sample); })) {
        problem = "holds samples that are not finite numbers";
        return false;
    }
    clip.samples.resize(samples.size());
    std::transform(samples.begin(), samples.end(), clip.samples.begin(), [](float sample) {
        return static_cast<std::int16_t>(std::lrint(std::clamp(sample * 32768.0f, -32768.0f, 32767.0f)));
    });
    clip.channels = info.channels;
    clip.sampleRate = info.samplerate;
    return true;
}
