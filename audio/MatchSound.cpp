#include "MatchSound.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

// Seconds on the monotonic clock, which the log's readers compare with each other only.
double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Listener listenerOf(const Camera& camera) { return {camera.position, camera.viewWidth, camera.viewHeight}; }

} // namespace

MatchSound::MatchSound(const std::string& soundsDir, std::ostream& messages, std::ostream* log)
    : log(log), openedAt(monotonicSeconds()), player(soundsDir, messages)
{
    if (log == nullptr) return;
    std::ostringstream line;
    line << std::fixed << "sound: device " << (player.hasDevice() ? "opened" : "absent") << " at " << openedAt << '\n';
    *log << line.str() << std::flush;
}

void MatchSound::play(const std::vector<TickRun>& runs, const Camera& camera)
{
    const Listener listener = listenerOf(camera);
    const SoundChanges changes = reconciler.update(runs);
    const bool logged = log != nullptr && (!changes.starts.empty() || !changes.stops.empty());
    const double playedAt = logged ? monotonicSeconds() : 0.0;
    for (const SoundId& id : changes.stops) player.stop(id);
    for (const SoundStart& sound : changes.starts) player.start(sound.event, sound.id, listener);
    // The loop follows the newest tick's contact, wherever the ticks before it went.
    if (changes.scrape)
        player.start(changes.scrape->event, changes.scrape->id, listener);
    else
        player.stopScrape();
    if (logged) writeLog(playedAt, changes.starts, changes.stops, listener);
}

void MatchSound::restart()
{
    player.stopAll();
    reconciler = SoundReconciler();
}

void MatchSound::writeLog(double playedAt, const std::vector<SoundStart>& starts, const std::vector<SoundId>& stops,
                          const Listener& listener) const
{
    // One write for the tick, so that the log costs the tick as little as it can.
    std::ostringstream lines;
    lines << std::fixed;
    for (const SoundStart& sound : starts) {
        lines << "sound: " << playedAt << " tick " << sound.id.tick << ' ' << soundFileName(sound.id.kind) << ' '
              << sound.event.position.x << ' ' << sound.event.position.y << " camera " << listener.centre.x << ' '
              << listener.centre.y << ' ' << listener.viewWidth << ' ' << listener.viewHeight << " index "
              << sound.id.index << '\n';
    }
    for (const SoundId& id : stops)
        lines << "sound: " << playedAt << " stop tick " << id.tick << ' ' << soundFileName(id.kind) << " index "
              << id.index << '\n';
    *log << lines.str() << std::flush;
}

std::ostream* soundLogFromEnvironment()
{
    const char* wanted = std::getenv("SKIRMORA_SOUND_LOG");
    return wanted != nullptr && wanted[0] != '\0' ? &std::cerr : nullptr;
}
