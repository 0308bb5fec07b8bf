#include "ReplayViewer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

int GatedConsole::overflow(int c)
{
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return open ? target->sputc(traits_type::to_char_type(c)) : c;
}

std::streamsize GatedConsole::xsputn(const char* text, std::streamsize count)
{
    return open ? target->sputn(text, count) : count;
}

int GatedConsole::sync() { return open ? target->pubsync() : 0; }

namespace {

// A recorded Escape ended the recorded match within its tick, so the replay ends with that tick.
std::size_t ticksUpToQuit(const std::vector<TickInput>& ticks)
{
    const auto quit = std::find_if(ticks.begin(), ticks.end(), [](const TickInput& tick) { return tick.window.quit; });
    return quit == ticks.end() ? ticks.size() : static_cast<std::size_t>(quit - ticks.begin()) + 1;
}

} // namespace

ReplayViewer::ReplayViewer(std::vector<TickInput> ticks, std::ostream& console, StartLater)
    : ticks(std::move(ticks)), ticksInMatch(ticksUpToQuit(this->ticks)), gate(console.rdbuf()), console(&gate),
      shown(std::make_unique<MySim>(this->console))
{
}

ReplayViewer::ReplayViewer(std::vector<TickInput> ticks, std::ostream& console,
                           std::map<std::string, std::uint32_t> textureNames, std::size_t snapshotLimit)
    : ReplayViewer(std::move(ticks), console, StartLater{})
{
    this->snapshotLimit = std::max<std::size_t>(snapshotLimit, 2);
    start(std::move(textureNames));
}

void ReplayViewer::start(std::map<std::string, std::uint32_t> textureNames)
{
    shown->textureNames = std::move(textureNames);
    shown->init();
    snapshots.push_back(shown->save());
    isPaused = ticksInMatch == 0;
}

void ReplayViewer::runTick(bool heardTick)
{
    const TickInput& input = ticks[current];
    gate.open = current >= reached;
    shown->step(input);
    ++current;
    if (current > reached) {
        reached = current;
        keepSnapshotIfDue();
    }
    // Numbered from 0, as every other session numbers the ticks it runs.
    if (heardTick) heard.push_back({static_cast<std::uint32_t>(current - 1), shown->events});
    gate.open = true;
}

void ReplayViewer::keepSnapshotIfDue()
{
    if (current % gap != 0 || current / gap != snapshots.size()) return;
    snapshots.push_back(shown->save());
    if (snapshots.size() <= snapshotLimit) return;
    // Every other one goes: those left stand at the doubled gap's multiples.
    std::size_t kept = 1;
    for (std::size_t i = 2; i < snapshots.size(); i += 2) snapshots[kept++] = std::move(snapshots[i]);
    snapshots.resize(kept);
    gap *= 2;
}

void ReplayViewer::frame()
{
    if (isPaused) return;
    owedQuarters += kSpeedQuarters[speedStep];
    for (; owedQuarters >= 4 && current < ticksInMatch; owedQuarters -= 4) runTick(true);
    if (current == ticksInMatch) {
        isPaused = true;
        owedQuarters = 0;
    }
}

void ReplayViewer::togglePause()
{
    isPaused = !isPaused || current == ticksInMatch;
    owedQuarters = 0;
}

void ReplayViewer::seekBy(long long delta)
{
    const long long target = static_cast<long long>(current) + delta;
    seekTo(target < 0 ? 0 : static_cast<std::size_t>(target));
}

void ReplayViewer::seekTo(std::size_t target)
{
    target = std::min(target, ticksInMatch);
    // The nearest snapshot at or before the target, unless the match already stands between it and
    // the target; snapshots exist up to the furthest tick reached.
    const std::size_t index = std::min(target / gap, snapshots.size() - 1);
    if (current > target || index * gap > current) {
        shown->restore(snapshots[index]);
        current = index * gap;
    }
    while (current < target) runTick(false);
    if (current == ticksInMatch) isPaused = true;
    owedQuarters = 0;
}

void ReplayViewer::step(int direction)
{
    if (!isPaused) return;
    if (direction > 0 && current < ticksInMatch) runTick(true);
    if (direction < 0 && current > 0) seekTo(current - 1);
}

void ReplayViewer::faster() { speedStep = std::min(speedStep + 1, std::size(kSpeedQuarters) - 1); }

void ReplayViewer::slower() { speedStep = speedStep > 0 ? speedStep - 1 : 0; }

void ReplayViewer::press(ViewerKey key, bool shift)
{
    const auto seek = static_cast<long long>(shift ? kLongSeek : kShortSeek);
    switch (key) {
    case ViewerKey::Space: togglePause(); break;
    case ViewerKey::Left: seekBy(-seek); break;
    case ViewerKey::Right: seekBy(seek); break;
    case ViewerKey::Comma: step(-1); break;
    case ViewerKey::Period: step(1); break;
    case ViewerKey::Up: faster(); break;
    case ViewerKey::Down: slower(); break;
    case ViewerKey::Home: seekTo(0); break;
    }
}

std::vector<TickRun> ReplayViewer::takeTickRuns() { return std::exchange(heard, {}); }

std::string ReplayViewer::statusLine() const
{
    const auto clock = [](std::size_t ticks) {
        const std::size_t seconds = ticks * kTickMs / 1000;
        char text[32];
        std::snprintf(text, sizeof text, "%zu:%02zu", seconds / 60, seconds % 60);
        return std::string(text);
    };
    char speedText[16];
    std::snprintf(speedText, sizeof speedText, "%gx", speed());
    return "tick " + std::to_string(current) + " of " + std::to_string(ticksInMatch) + "  (" + clock(current) + " / " +
           clock(ticksInMatch) + ")  speed " + speedText + (isPaused ? "  paused" : "");
}
