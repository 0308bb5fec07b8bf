#include "SoundPlayer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <algorithm>
#include <array>
#include <utility>

#include "QuietLibraries.h"
#include "SoundFile.h"

namespace {

constexpr std::array<const char*, kSoundKinds> kSoundFiles = {
    "ballThrown.wav", "bulletFired.wav", "bulletBounced.wav", "player1Hit.wav",      "bulletDeflected.wav",
    "player2Hit.wav", "wallScrape.wav",  "playerDied.wav",    "playerRespawned.wav",
};

constexpr std::array<const char*, kSoundCues> kCueFiles = {"menuMove.wav", "menuChoose.wav"};
// Cues stand in the voices' bookkeeping under a tick no match reaches, so that no event's stop or
// check ever takes one for its own.
constexpr std::uint32_t kCueTick = 0xFFFFFFFFu;

// Voices in the pool. The first is kept for the scrape loop; the others play the short sounds, and
// when all of them are busy the one started longest ago gives way.
constexpr std::size_t kVoiceCount = 16;
constexpr std::size_t kScrapeVoice = 0;

std::size_t kindIndex(MatchEventKind kind) { return static_cast<std::size_t>(kind); }

struct DeviceCloser {
    void operator()(ALCdevice* device) const { alcCloseDevice(device); }
};

struct ContextDestroyer {
    void operator()(ALCcontext* context) const
    {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
};

// How far in front of the listener sounds lie, in half view sizes: sqrt(3) puts the view's side edges
// 30 degrees off centre, where a stereo pair's speakers stand, so that panning spans the whole view.
// It is also the reference distance: everything in view plays at nearly full gain.
constexpr ALfloat kSoundDepth = 1.7320508f;

// Where a sound at where stands in OpenAL's frame for sources relative to the listener (x right, y up,
// the listener looking along -z): x in half view widths and y in half view heights, so that every
// point of the view's edge is equally near, and sounds off screen fade with their distance from it.
std::array<ALfloat, 3> listenerSpace(const Vec2& where, const Listener& listener)
{
    // An empty view has no sides: everything in it is straight ahead.
    const auto halves = [](float distance, float size) { return size > 0.0f ? 2.0f * distance / size : 0.0f; };
    const Vec2 offset = where - listener.centre;
    return {halves(offset.x, listener.viewWidth), halves(offset.y, listener.viewHeight), -kSoundDepth};
}

// OpenAL places only mono sources in space, so a stereo clip plays as the average of its channels.
std::vector<std::int16_t> monoSamples(const SoundClip& clip)
{
    if (clip.channels == 1) return clip.samples;
    std::vector<std::int16_t> mono(clip.samples.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = static_cast<std::int16_t>((clip.samples[2 * i] + clip.samples[2 * i + 1]) / 2);
    return mono;
}

} // namespace

const char* soundFileName(MatchEventKind kind) { return kSoundFiles[kindIndex(kind)]; }

const char* cueFileName(SoundCue cue) { return kCueFiles[static_cast<std::size_t>(cue)]; }

// The open device, its context, one buffer per clip and the pool of voices.
struct SoundPlayer::Device {
    // Declared before the context, so that the context goes first.
    std::unique_ptr<ALCdevice, DeviceCloser> output;
    std::unique_ptr<ALCcontext, ContextDestroyer> context;
    std::array<ALuint, kSoundKinds> buffers{}; // 0 where the clip did not load
    std::array<ALuint, kSoundCues> cueBuffers{};
    std::array<ALuint, kVoiceCount> sources{};
    std::array<SoundId, kVoiceCount> ids{};
    std::array<std::uint64_t, kVoiceCount> startOrder{};
    std::uint64_t starts = 0;
    bool scraping = false;

    Device(std::unique_ptr<ALCdevice, DeviceCloser> output, std::unique_ptr<ALCcontext, ContextDestroyer> context)
        : output(std::move(output)), context(std::move(context))
    {
        alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
        alGenSources(static_cast<ALsizei>(sources.size()), sources.data());
        for (const ALuint source : sources) {
            alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(source, AL_REFERENCE_DISTANCE, kSoundDepth);
        }
        alSourcei(sources[kScrapeVoice], AL_LOOPING, AL_TRUE);
    }

    ~Device()
    {
        alSourceStopv(static_cast<ALsizei>(sources.size()), sources.data());
        alDeleteSources(static_cast<ALsizei>(sources.size()), sources.data());
        for (const ALuint buffer : buffers)
            if (buffer != 0) alDeleteBuffers(1, &buffer);
        for (const ALuint buffer : cueBuffers)
            if (buffer != 0) alDeleteBuffers(1, &buffer);
    }

    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Why the clip could not be handed to the device into buffer, or "".
    static std::string load(ALuint& buffer, const SoundClip& clip)
    {
        const std::vector<std::int16_t> mono = monoSamples(clip);
        alGetError();
        alGenBuffers(1, &buffer);
        alBufferData(buffer, AL_FORMAT_MONO16, mono.data(), static_cast<ALsizei>(mono.size() * sizeof mono[0]),
                     clip.sampleRate);
        if (alGetError() == AL_NO_ERROR) return "";
        alDeleteBuffers(1, &buffer);
        buffer = 0;
        return "the audio device refused it";
    }

    bool voicePlaying(std::size_t voice) const
    {
        ALint state = AL_STOPPED;
        alGetSourcei(sources[voice], AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    }

    // A free short-sound voice, or else the one started longest ago.
    std::size_t freeVoice() const
    {
        std::size_t oldest = kScrapeVoice + 1;
        for (std::size_t voice = kScrapeVoice + 1; voice < kVoiceCount; ++voice) {
            if (!voicePlaying(voice)) return voice;
            if (startOrder[voice] < startOrder[oldest]) oldest = voice;
        }
        return oldest;
    }

    void place(std::size_t voice, const std::array<ALfloat, 3>& where)
    {
        alSource3f(sources[voice], AL_POSITION, where[0], where[1], where[2]);
    }

    void start(std::size_t voice, const SoundId& id, const std::array<ALfloat, 3>& where)
    {
        startBuffer(voice, buffers[kindIndex(id.kind)], id, where);
    }

    void startBuffer(std::size_t voice, ALuint buffer, const SoundId& id, const std::array<ALfloat, 3>& where)
    {
        const ALuint source = sources[voice];
        alSourceStop(source); // a buffer can only be changed on a stopped voice
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        place(voice, where);
        alSourcePlay(source);
        ids[voice] = id;
        startOrder[voice] = ++starts;
    }

    // Keeps the scrape loop going, started if it was not, and at the latest contact.
    void scrape(const SoundId& id, const std::array<ALfloat, 3>& where)
    {
        if (scraping) return place(kScrapeVoice, where);
        start(kScrapeVoice, id, where);
        scraping = true;
    }

    void stopScrape()
    {
        if (!scraping) return;
        alSourceStop(sources[kScrapeVoice]);
        scraping = false;
    }
};

SoundPlayer::SoundPlayer(const std::string& soundsDir, std::ostream& messages)
{
    quietSoundLibraries();
    std::unique_ptr<ALCdevice, DeviceCloser> output(alcOpenDevice(nullptr));
    std::unique_ptr<ALCcontext, ContextDestroyer> context(output ? alcCreateContext(output.get(), nullptr) : nullptr);
    if (!context || alcMakeContextCurrent(context.get()) != ALC_TRUE) {
        messages << "skirmora: no audio device; playing silent" << std::endl;
        return;
    }
    alGetError();
    device = std::make_unique<Device>(std::move(output), std::move(context));
    if (alGetError() != AL_NO_ERROR) {
        messages << "skirmora: the audio device has no voices to spare; playing silent" << std::endl;
        device.reset();
        return;
    }
    const auto loadFile = [&](const char* name, ALuint& buffer) {
        const std::string path = soundsDir + "/" + name;
        SoundClip clip;
        std::string problem;
        if (readSoundFile(path, clip, problem)) problem = Device::load(buffer, clip);
        if (!problem.empty()) messages << "skirmora: sound " << path << ": " << problem << "; it stays silent\n";
    };
    for (std::size_t kind = 0; kind < kSoundKinds; ++kind) loadFile(kSoundFiles[kind], device->buffers[kind]);
    for (std::size_t cue = 0; cue < kSoundCues; ++cue) loadFile(kCueFiles[cue], device->cueBuffers[cue]);
    messages.flush();
}

SoundPlayer::~SoundPlayer() = default;
SoundPlayer::SoundPlayer(SoundPlayer&&) noexcept = default;

void SoundPlayer::play(const std::vector<MatchEvent>& tickEvents, const Listener& listener, std::uint32_t tick)
{
    bool scraped = false;
    for (const SoundStart& sound : soundsOfTick(tickEvents, tick)) {
        start(sound.event, sound.id, listener);
        scraped = scraped || sound.event.kind == MatchEventKind::WallScrape;
    }
    if (!scraped) stopScrape();
}

void SoundPlayer::start(const MatchEvent& event, const SoundId& id, const Listener& listener)
{
    if (!device || device->buffers[kindIndex(event.kind)] == 0) return;
    const std::array<ALfloat, 3> where = listenerSpace(event.position, listener);
    if (event.kind == MatchEventKind::WallScrape)
        device->scrape(id, where);
    else
        device->start(device->freeVoice(), id, where);
}

void SoundPlayer::stopScrape()
{
    if (device) device->stopScrape();
}

void SoundPlayer::stop(const SoundId& id)
{
    if (!device) return;
    for (std::size_t voice = 0; voice < kVoiceCount; ++voice) {
        if (!(device->ids[voice] == id) || !device->voicePlaying(voice)) continue;
        if (voice == kScrapeVoice)
            device->stopScrape();
        else
            alSourceStop(device->sources[voice]);
    }
}

bool SoundPlayer::playing(const SoundId& id) const
{
    if (!device) return false;
    for (std::size_t voice = 0; voice < kVoiceCount; ++voice)
        if (device->ids[voice] == id && device->voicePlaying(voice)) return true;
    return false;
}

void SoundPlayer::stopAll()
{
    if (!device) return;
    alSourceStopv(static_cast<ALsizei>(kVoiceCount), device->sources.data());
    device->scraping = false;
}

bool SoundPlayer::hasDevice() const { return device != nullptr; }

void SoundPlayer::playCue(SoundCue cue)
{
    const auto index = static_cast<std::size_t>(cue);
    if (!device || device->cueBuffers[index] == 0) return;
    const SoundId id{kCueTick, MatchEventKind::BallThrown, static_cast<std::uint32_t>(index)};
    device->startBuffer(device->freeVoice(), device->cueBuffers[index], id, {0.0f, 0.0f, -kSoundDepth});
}

void SoundPlayer::setVolume(float fraction)
{
    const float wanted = std::clamp(fraction, 0.0f, 1.0f);
    if (!device || wanted == volume) return;
    volume = wanted;
    alListenerf(AL_GAIN, volume);
}
