#include "SoundReconciler.h"

#include <array>

namespace {

using KindCounts = std::array<std::uint32_t, kSoundKinds>;

std::size_t kindIndex(MatchEventKind kind) { return static_cast<std::size_t>(kind); }

KindCounts countKinds(const std::vector<MatchEvent>& events)
{
    KindCounts counts{};
    for (const MatchEvent& event : events) ++counts[kindIndex(event.kind)];
    return counts;
}

} // namespace

SoundChanges SoundReconciler::update(const std::vector<TickRun>& runs)
{
    // A tick may have run several times since the last call; only what its latest run left is heard.
    std::map<std::uint32_t, const std::vector<MatchEvent>*> latest;
    for (const TickRun& run : runs) latest[run.tick] = &run.events;

    SoundChanges changes;
    const std::optional<std::uint32_t> newest =
        heard.empty() ? std::nullopt : std::optional<std::uint32_t>(heard.rbegin()->first);
    for (const auto& [tick, events] : latest) {
        if (newest && tick + heardTicks <= *newest) continue;
        std::vector<MatchEvent>& before = heard[tick];
        const KindCounts had = countKinds(before);
        const KindCounts has = countKinds(*events);
        for (const SoundStart& sound : soundsOfTick(before, tick))
            if (sound.id.index >= has[kindIndex(sound.id.kind)]) changes.stops.push_back(sound.id);
        for (const SoundStart& sound : soundsOfTick(*events, tick))
            if (sound.id.index >= had[kindIndex(sound.id.kind)]) changes.starts.push_back(sound);
        before = *events;
    }

    if (heard.empty()) return changes;
    const std::uint32_t newestNow = heard.rbegin()->first;
    while (heard.begin()->first + heardTicks <= newestNow) heard.erase(heard.begin());
    for (const SoundStart& sound : soundsOfTick(heard.rbegin()->second, newestNow)) {
        if (sound.event.kind != MatchEventKind::WallScrape) continue;
        changes.scrape = sound;
        break;
    }
    return changes;
}
