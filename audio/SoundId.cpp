#include "SoundId.h"

#include <array>

std::vector<SoundStart> soundsOfTick(const std::vector<MatchEvent>& tickEvents, std::uint32_t tick)
{
    std::array<std::uint32_t, kSoundKinds> seen{};
    std::vector<SoundStart> sounds;
    sounds.reserve(tickEvents.size());
    for (const MatchEvent& event : tickEvents)
        sounds.push_back({event, {tick, event.kind, seen[static_cast<std::size_t>(event.kind)]++}});
    return sounds;
}
