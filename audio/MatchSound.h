#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "Camera.h"
#include "MatchEvent.h"
#include "SoundPlayer.h"
#include "SoundReconciler.h"
#include "TickRun.h"

// The game's sound: after each update period, the events of the ticks it ran played as the camera sees them.
// The match never learns of it, so a match plays the same with sound, without it, or headless.
class MatchSound {
public:
    // Opens the audio device and the clips in soundsDir; problems go to messages, one line each.
    // With log set, the moment the device opened and every event played or stopped are written there
    // with a monotonic timestamp, so that a capture of the output can be lined up with the match.
    MatchSound(const std::string& soundsDir, std::ostream& messages, std::ostream* log = nullptr);

    // Plays the ticks run since the last call, in the order they ran; returns at once (the device mixes on
    // its own thread). Each event is heard once, however often its tick runs (a match that goes back and
    // runs ticks again), and one that a later run of its tick no longer has is stopped.
    void play(const std::vector<TickRun>& runs, const Camera& camera);
    // Silences everything and forgets what was heard: the next ticks are another match's, counted afresh.
    void restart();

private:
    // Writes what was started and stopped at the moment playedAt, if there is a log and anything to say.
    void writeLog(double playedAt, const std::vector<SoundStart>& starts, const std::vector<SoundId>& stops,
                  const Listener& listener) const;

    std::ostream* log;
    double openedAt;
    SoundPlayer player;
    SoundReconciler reconciler;
};

// The diagnostic log asked for by the environment (SKIRMORA_SOUND_LOG set and not empty): standard
// error, or null. Standard output stays the match's console.
std::ostream* soundLogFromEnvironment();
