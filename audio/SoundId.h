#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MatchEvent.h"

// Event kinds, each with its own sound.
inline constexpr std::size_t kSoundKinds = static_cast<std::size_t>(MatchEventKind::PlayerRespawned) + 1;

// One event's sound: the tick it was played for, its kind, and its place among that tick's events of
// the same kind (0 for the first). A rollback that undoes the event stops the sound by this, and one
// that runs the tick again knows by this that the event was already heard.
struct SoundId {
    std::uint32_t tick = 0;
    MatchEventKind kind = MatchEventKind::BallThrown;
    std::uint32_t index = 0;
};

inline bool operator==(const SoundId& a, const SoundId& b)
{
    return a.tick == b.tick && a.kind == b.kind && a.index == b.index;
}

// An event to be heard, under the id its sound plays by.
struct SoundStart {
    MatchEvent event;
    SoundId id;
};

// The events of one tick, in their order, each with its id.
std::vector<SoundStart> soundsOfTick(const std::vector<MatchEvent>& tickEvents, std::uint32_t tick);
