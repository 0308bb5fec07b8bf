#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Listener.h"
#include "MatchEvent.h"

// One event's sound: the tick it was played for, its kind, and its place among that tick's events of
// the same kind (0 for the first). A rollback that undoes the event stops the sound by this.
struct SoundId {
    std::uint32_t tick = 0;
    MatchEventKind kind = MatchEventKind::BallThrown;
    std::uint32_t index = 0;
};

inline bool operator==(const SoundId& a, const SoundId& b)
{
    return a.tick == b.tick && a.kind == b.kind && a.index == b.index;
}

// The file in the sounds folder that holds the sound of kind.
const char* soundFileName(MatchEventKind kind);

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
    // Stops the sound of one event, if it still plays.
    void stop(const SoundId& id);
    // Whether the sound of one event still plays.
    bool playing(const SoundId& id) const;
    // Stops every sound, the scrape loop included.
    void stopAll();
    // Whether a device was opened (otherwise everything is silent).
    bool hasDevice() const;

private:
    struct Device;
    std::unique_ptr<Device> device;
};
