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

} // namespace

MatchSound::MatchSound(const std::string& soundsDir, std::ostream& messages, std::ostream* log)
    : log(log), openedAt(monotonicSeconds()), player(soundsDir, messages)
{
    if (log == nullptr) return;
    std::ostringstream line;
    line << std::fixed << "sound: device " << (player.hasDevice() ? "opened" : "absent") << " at " << openedAt << '\n';
    *log << line.str() << std::flush;
}

void MatchSound::afterTick(const std::vector<MatchEvent>& events, const Camera& camera)
{
    const Listener listener{camera.position, camera.viewWidth, camera.viewHeight};
    const bool logged = log != nullptr && !events.empty();
    const double playedAt = logged ? monotonicSeconds() : 0.0;
    player.play(events, listener, tick);
    if (logged) {
        // One write for the tick, so that the log costs the tick as little as it can.
        std::ostringstream lines;
        lines << std::fixed;
        for (const MatchEvent& event : events) {
            lines << "sound: " << playedAt << " tick " << tick << ' ' << soundFileName(event.kind) << ' '
                  << event.position.x << ' ' << event.position.y << " camera " << listener.centre.x << ' '
                  << listener.centre.y << ' ' << listener.viewWidth << ' ' << listener.viewHeight << '\n';
        }
        *log << lines.str() << std::flush;
    }
    ++tick;
}

std::ostream* soundLogFromEnvironment()
{
    const char* wanted = std::getenv("SKIRMORA_SOUND_LOG");
    return wanted != nullptr && wanted[0] != '\0' ? &std::cerr : nullptr;
}
