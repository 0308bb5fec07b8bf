#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Sound files are untrusted input, like images: the file library decodes them, and its report of
// what it found is checked here before anything reaches the audio device.

// The longest clip accepted, in seconds: the game's are under one, and a longer one would only cost
// start-up time and memory.
constexpr int kMaxSoundSeconds = 5;
// Frames per second accepted, both ends included.
constexpr int kMinSoundRate = 8000;
constexpr int kMaxSoundRate = 192000;

// A decoded clip: 16-bit samples, interleaved left and right when stereo.
struct SoundClip {
    std::vector<std::int16_t> samples;
    int channels = 0;   // 1 or 2
    int sampleRate = 0; // frames per second
};

// Reads and checks the file at path; false, with the reason in problem, when it is missing, not a
// regular file, too large, not in a format the file library reads, or when it has other than one or
// two channels, a rate outside [kMinSoundRate, kMaxSoundRate], no frames or more than kMaxSoundSeconds
// of them, fewer frames than it declares, or samples that are not finite numbers.
bool readSoundFile(const std::string& path, SoundClip& clip, std::string& problem);
