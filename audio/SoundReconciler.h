#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "SoundId.h"
#include "TickRun.h"

// How many of the latest ticks keep a record of what was heard of them: twice as many as a rollback
// can go back (8 ticks), so that a tick run again is always compared with what was heard of it.
inline constexpr std::uint32_t kHeardTicks = 16;

// What the sound has to do after some ticks ran.
struct SoundChanges {
    std::vector<SoundStart> starts; // events heard for the first time, the oldest tick's first
    std::vector<SoundId> stops;     // events that were heard but that the tick's latest run no longer has
    // The newest tick's wall contact, where the scrape loop plays on; none: the loop ends.
    std::optional<SoundStart> scrape;
};

// Keeps the sound of a match that goes back and runs ticks again (online play) true to the match: a
// tick's events are heard as the tick first runs, and when it runs again only what is new starts, and
// what it no longer has stops. Events are told apart as their sounds are: by tick, kind and place
// among the tick's events of that kind. Plain bookkeeping, no audio: the caller plays the changes.
class SoundReconciler {
public:
    explicit SoundReconciler(std::uint32_t heardTicks = kHeardTicks) : heardTicks(heardTicks) {}

    // The changes the runs since the last call make, given in the order they ran. Of a tick that ran
    // more than once, only its latest run counts; a tick that fell out of the record is left alone.
    SoundChanges update(const std::vector<TickRun>& runs);

private:
    std::uint32_t heardTicks;
    // The events heard of each of the latest ticks.
    std::map<std::uint32_t, std::vector<MatchEvent>> heard;
};
