#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Listener.h"
#include "MatchEvent.h"
#include "SoundId.h"

// The file in the sounds folder that holds the sound of kind.
const char* soundFileName(MatchEventKind kind);

// Sounds that belong to no place in the match: the menus' quiet clicks.
enum class SoundCue : std::uint8_t { MenuMove, MenuChoose };
inline constexpr std::size_t kSoundCues = 2;

// The file in the sounds folder that holds the cue's sound.
const char* cueFileName(SoundCue cue);

// Turns the match's events into sound on the default audio device: one clip per event kind, placed
// relative to the listener so that the device pans and attenuates it, from a small fixed pool of
// voices. WallScrape is a loop that plays while its events keep arriving, one per tick. Nothing here
// waits for the device, which mixes on its own thread. Without a device, or for a clip that failed to
// load, everything is silent and harmless. One player at a time: OpenAL has one current context.
class SoundPlayer {
public:
    // Opens the default device and loads the clip of every event kind from soundsDir. No device gives
    // one line on messages; each missing or damaged file gives one line naming it and the reason.
    SoundPlayer(const std::string& soundsDir, std::ostream& messages);
    // Stops everything and closes the device.
    ~SoundPlayer();
    // Moves hand the device over; there is no assignment, which would hold two devices at once.
    SoundPlayer(SoundPlayer&&) noexcept;
    SoundPlayer& operator=(SoundPlayer&&) = delete;

    // Starts one tick's sounds; call once per tick, with every event of that tick. The scrape loop
    // stops at the first tick without a WallScrape event.
    void play(const std::vector<MatchEvent>& tickEvents, const Listener& listener, std::uint32_t tick = 0);
    // Starts the sound of one event as id. A WallScrape keeps the scrape loop going at the event's
    // place, starting it as id if it was not playing; the loop ends only with stopScrape, or a stop of
    // the id it started as.
    void start(const MatchEvent& event, const SoundId& id, const Listener& listener);
    // Ends the scrape loop: the latest tick has no wall contact.
    void stopScrape();
    // Stops the sound of one event, if it still plays.
    void stop(const SoundId& id);
    // Whether the sound of one event still plays.
    bool playing(const SoundId& id) const;
    // Stops every sound, the scrape loop included.
    void stopAll();
    // Plays a cue straight ahead, at its clip's own loudness.
    void playCue(SoundCue cue);
    // The loudness of everything, from 0 (silent) to 1 (as the clips are made). Cheap to call every tick: the
    // device hears only of a change.
    void setVolume(float fraction);
    // Whether a device was opened (otherwise everything is silent).
    bool hasDevice() const;

private:
    struct Device;
    std::unique_ptr<Device> device;
    float volume = 1.0f;
};
