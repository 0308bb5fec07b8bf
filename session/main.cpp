#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "ArenaImages.h"
#include "Engine.h"
#include "GameData.h"
#include "InputRecorder.h"
#include "MatchSource.h"
#include "MenuManager.h"
#include "MySim.h"
#include "OnlineSession.h"
#include "Options.h"
#include "ReplayFile.h"
#include "ReplayWindow.h"

namespace {

// Status for a bad command line or an unusable file, apart from the game's own 1 for Escape.
constexpr int kUsageStatus = 2;

[[noreturn]] void usageError(const std::string& problem)
{
    std::cerr << "skirmora: " << problem << " (skirmora --help shows how to call it)" << std::endl;
    std::exit(kUsageStatus);
}

// Reads and checks the whole replay before anything opens, so a bad file never gets half-played.
Replay loadOrExit(const std::string& path)
{
    auto loaded = loadReplay(path);
    if (const auto* error = std::get_if<std::string>(&loaded)) {
        std::cerr << "skirmora: " << *error << std::endl;
        std::exit(kUsageStatus);
    }
    Replay replay = std::get<Replay>(std::move(loaded));
    if (replay.cutShortLine > 0) {
        std::cerr << "skirmora: " << path << ":" << replay.cutShortLine << ": cut short; the replay ends after tick "
                  << replay.ticks.size() << std::endl;
    }
    return replay;
}

// Truncates the file now, so that an unwritable path stops the program before any window opens.
std::ofstream* openRecordingOrExit(const std::string& path)
{
    // Never closed: the process ends inside the game, and every line is flushed as it is written.
    auto* recording = new std::ofstream(path, std::ios::trunc);
    if (!*recording) {
        std::cerr << "skirmora: " << path << ": cannot write: " << std::strerror(errno) << std::endl;
        std::exit(kUsageStatus);
    }
    return recording;
}

// The last word of a match: its length and the players' health and score; then the program ends.
[[noreturn]] void endMatch(const char* what, const MySim& game, std::uint64_t ticks)
{
    std::cout << what << " after " << ticks << " ticks: player 1 health " << game.p1Health << " score " << game.p1Score
              << ", player 2 health " << game.p2Health << " score " << game.p2Score << std::endl;
    std::exit(EXIT_SUCCESS);
}

// Where the images and sounds are, found before anything opens; a headless match needs neither.
GameData gameDataOrExit(const Options& options)
{
    if (options.headless) return {};
    auto found = findGameData(thisProgramsSearch());
    if (const auto* problem = std::get_if<std::string>(&found)) {
        std::cerr << "skirmora: " << *problem << std::endl;
        std::exit(kUsageStatus);
    }
    return std::get<GameData>(std::move(found));
}

// The link the command line asks for, before any window opens: a port that cannot be bound ends the program.
NetTransport connectOrExit(const Options& options)
{
    const int ticks = options.ticks != 0 ? int(options.ticks) : int(kMaxMatchTicks);
    auto made = options.role == Options::Role::Host
                    ? NetTransport::host(options.endpoint.port, {options.ownPlayer(), options.inputDelay, ticks},
                                         buildIdentity())
                    : NetTransport::join(options.endpoint, buildIdentity(), options.ownPlayer());
    if (const auto* problem = std::get_if<std::string>(&made)) {
        std::cerr << "skirmora: " << *problem << std::endl;
        std::exit(kUsageStatus);
    }
    return std::get<NetTransport>(std::move(made));
}

// Also what the window's close button reaches, through exit: the peer hears of it at once.
OnlineSession* gOnline = nullptr;

[[noreturn]] void finishOnline(int status, const MySim& confirmed)
{
    if (status == EXIT_SUCCESS) endMatch("match ended", confirmed, std::uint64_t(gOnline->confirmedTicks()));
    std::exit(status);
}

// A match against another machine; see OnlineSession. The objects are made in the order a replay makes
// them, so that the console's start-up lines match too.
[[noreturn]] void playOnline(Options& options, std::ofstream* recording, const GameData& data)
{
    NetTransport transport = connectOrExit(options);
    const std::string where = options.role == Options::Role::Host
                                  ? std::to_string(transport.port())
                                  : options.endpoint.host + ":" + std::to_string(options.endpoint.port);
    // Created once and never destroyed: the process ends inside the match.
    auto* confirmed = new MySim(std::cout);
    auto* muted = new std::ostream(nullptr);
    auto* shown = new MySim(*muted);
    auto* engine = new Engine(shown, new MenuManager);
    engine->images = arenaImages(data.graphics());
    OnlineSetup setup;
    setup.shown = shown;
    setup.confirmed = confirmed;
    setup.ownPlayer = options.ownPlayer();
    setup.ownSource = makePlayerSource(setup.ownPlayer == 1 ? options.player1 : options.player2);
    setup.local = options.headless ? nullptr : &engine->localInput;
    setup.recording = recording;
    setup.log = &std::cerr;
    confirmed->init();
    gOnline = new OnlineSession(std::move(transport), std::move(setup), options.role == Options::Role::Host, where);
    std::atexit([] { gOnline->leave(); });
    if (options.headless) {
        shown->init();
        // The pace of the window's update timer.
        const auto period = std::chrono::milliseconds(engine->updatePeriodMs);
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            if (const auto status = gOnline->frame()) finishOnline(*status, *confirmed);
            std::cout.flush();
            // A late frame shifts the beat rather than bunching the next ones up.
            next = std::max(next + period, std::chrono::steady_clock::now() - period);
            std::this_thread::sleep_until(next);
        }
    }
    engine->tickOverride = [confirmed] {
        if (const auto status = gOnline->frame()) finishOnline(*status, *confirmed);
    };
    // The shown match is what the player sees, so it is what they hear, rollbacks and all.
    if (!options.mute) {
        engine->soundsDir = data.sounds();
        engine->takeTickRuns = [] { return gOnline->takeShownRuns(); };
        gOnline->keepShownRuns();
    }
    engine->run(static_cast<int>(options.toolkitArgs.size()) - 1, options.toolkitArgs.data());
    std::exit(EXIT_SUCCESS);
}

} // namespace

int main(int argc, char** argv)
{
    auto parsed = parseOptions(argc, argv);
    if (const auto* problem = std::get_if<std::string>(&parsed)) usageError(*problem);
    Options options = std::get<Options>(std::move(parsed));
    if (options.help) {
        std::cout << kUsage;
        return EXIT_SUCCESS;
    }
    if (options.version) {
        std::cout << kVersionLine;
        return EXIT_SUCCESS;
    }
    const GameData data = gameDataOrExit(options);
    Replay replay;
    if (!options.replayPath.empty()) replay = loadOrExit(options.replayPath);
    std::ofstream* recording = options.recordPath.empty() ? nullptr : openRecordingOrExit(options.recordPath);
    if (options.role != Options::Role::Alone) playOnline(options, recording, data);

    // Created once and never destroyed: the process ends with the toolkit's loop.
    auto* game = new MySim(std::cout);
    auto* menu = new MenuManager;
    auto* engine = new Engine(game, menu);
    engine->images = arenaImages(data.graphics());
    if (!options.mute && !options.headless) engine->soundsDir = data.sounds();
    if (!options.replayPath.empty()) {
        const auto replayIn = [engine, game, &replay](WindowSystem* live) {
            const auto adoptSize = [engine](int width, int height) { engine->reshape(width, height); };
            auto* window = new ReplayWindow(adoptSize, std::move(replay.ticks), live);
            window->onEnd = [game, window] { endMatch("replay ended", *game, window->ticksPlayed()); };
            engine->input = window;
            return window;
        };
        if (options.headless) {
            engine->window = replayIn(nullptr);
            engine->runHeadless();
        }
        engine->followToolkitReshapes = false;
        engine->wrapToolkitWindow = [replayIn](WindowSystem& live) { return replayIn(&live); };
    } else {
        // Each player's input from its own source; this machine's keyboard and mouse stand in for the
        // local ones, and headless there are none.
        PlayerSource* player1 = makePlayerSource(options.player1).release();
        PlayerSource* player2 = makePlayerSource(options.player2).release();
        auto* source = new MatchSource(*game, options.headless ? nullptr : &engine->localInput, player1, player2);
        source->tickLimit = options.ticks;
        source->onEnd = [game, source] { endMatch("match ended", *game, source->ticksPlayed()); };
        engine->input = source;
        if (recording != nullptr) engine->input = new InputRecorder(*source, *recording);
        if (options.headless) engine->runHeadless();
    }
    engine->run(static_cast<int>(options.toolkitArgs.size()) - 1, options.toolkitArgs.data());
    std::cout << "end of it all" << std::endl;
    return 0;
}
