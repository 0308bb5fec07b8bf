#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ArenaImages.h"
#include "Engine.h"
#include "GameData.h"
#include "LocalSession.h"
#include "MenuManager.h"
#include "MenuSession.h"
#include "OnlineSession.h"
#include "Options.h"
#include "Recordings.h"
#include "ReplayFile.h"
#include "ReplaySession.h"
#include "ViewerLayer.h"
#include "ViewerSession.h"

namespace {

// Status for a bad command line or an unusable file, apart from the game's own 1 for Escape.
constexpr int kUsageStatus = 2;

int usageError(const std::string& problem)
{
    std::cerr << "skirmora: " << problem << " (skirmora --help shows how to call it)" << std::endl;
    return kUsageStatus;
}

// Reads and checks the whole replay before anything opens, so a bad file never gets half-played.
std::optional<Replay> loadWhole(const std::string& path)
{
    auto loaded = loadReplay(path);
    if (const auto* error = std::get_if<std::string>(&loaded)) {
        std::cerr << "skirmora: " << *error << std::endl;
        return std::nullopt;
    }
    Replay replay = std::get<Replay>(std::move(loaded));
    if (replay.cutShortLine > 0) {
        std::cerr << "skirmora: " << path << ":" << replay.cutShortLine << ": cut short; the replay ends after tick "
                  << replay.ticks.size() << std::endl;
    }
    return replay;
}

// Where the images and sounds are, found before anything opens; a headless match needs neither.
std::optional<GameData> gameData(const Options& options)
{
    if (options.headless) return GameData{};
    auto found = findGameData(thisProgramsSearch());
    if (const auto* problem = std::get_if<std::string>(&found)) {
        std::cerr << "skirmora: " << *problem << std::endl;
        return std::nullopt;
    }
    return std::get<GameData>(std::move(found));
}

// The link the command line asks for, before any window opens; a port that cannot be bound gives nothing.
std::optional<NetTransport> connect(const Options& options)
{
    const int ticks = options.ticks != 0 ? int(options.ticks) : int(kMaxMatchTicks);
    auto made = options.role == Options::Role::Host
                    ? NetTransport::host(options.endpoint.port, {options.ownPlayer(), options.inputDelay, ticks},
                                         buildIdentity())
                    : NetTransport::join(options.endpoint, buildIdentity(), options.ownPlayer());
    if (const auto* problem = std::get_if<std::string>(&made)) {
        std::cerr << "skirmora: " << *problem << std::endl;
        return std::nullopt;
    }
    return std::get<NetTransport>(std::move(made));
}

// A match against another machine; see OnlineSession.
std::unique_ptr<Session> onlineSession(const Options& options, std::ostream* recording)
{
    std::optional<NetTransport> transport = connect(options);
    if (!transport) return nullptr;
    const std::string where = options.role == Options::Role::Host
                                  ? std::to_string(transport->port())
                                  : options.endpoint.host + ":" + std::to_string(options.endpoint.port);
    OnlineSetup setup;
    setup.console = &std::cout;
    setup.ownPlayer = options.ownPlayer();
    setup.ownSource = makePlayerSource(setup.ownPlayer == 1 ? options.player1 : options.player2);
    setup.recording = recording;
    setup.log = &std::cerr;
    return std::make_unique<OnlineSession>(std::move(*transport), std::move(setup), options.role == Options::Role::Host,
                                           where);
}

// The title menu, from which every mode is chosen; the settings file holds what the player chose before,
// and the command line overrides it for this run.
int playFromMenus(Options& options, const GameData& data)
{
    KeptSettings settings(settingsFilePath(), std::cerr);
    if (options.mute) settings.overrides().mute = true;
    Menu menu(settings.current(), replaysFolderPath());
    MenuLayer layer(menu);
    Engine engine(layer);
    engine.images = arenaImages(data.graphics());
    if (!settings.current().mute) engine.soundsDir = data.sounds();
    engine.setSession(
        std::make_unique<MenuSession>(menu, layer, settings, replaysFolderPath(), std::cout, options.ticks));
    return engine.run(static_cast<int>(options.toolkitArgs.size()) - 1, options.toolkitArgs.data()).value_or(0);
}

} // namespace

int main(int argc, char** argv)
{
    auto parsed = parseOptions(argc, argv);
    if (const auto* problem = std::get_if<std::string>(&parsed)) return usageError(*problem);
    Options options = std::get<Options>(std::move(parsed));
    if (options.help) {
        std::cout << kUsage;
        return EXIT_SUCCESS;
    }
    if (options.version) {
        std::cout << kVersionLine;
        return EXIT_SUCCESS;
    }
    const std::optional<GameData> data = gameData(options);
    if (!data) return kUsageStatus;
    std::optional<Replay> replay;
    if (!options.replayPath.empty() && !(replay = loadWhole(options.replayPath))) return kUsageStatus;
    // Opened (and emptied) now, so that an unwritable path stops the program before any window opens.
    std::optional<std::ofstream> recording;
    if (!options.recordPath.empty()) {
        recording.emplace(options.recordPath, std::ios::trunc);
        if (!*recording) {
            std::cerr << "skirmora: " << options.recordPath << ": cannot write: " << std::strerror(errno) << std::endl;
            return kUsageStatus;
        }
    }

    if (options.menu) return playFromMenus(options, *data);

    // The session is made before the engine, so that the console's start-up lines come in their order.
    std::unique_ptr<Session> session;
    // A recording in a window is watched at will, its keys and line in the engine's layer above the game.
    ViewerSession* watched = nullptr;
    if (options.role != Options::Role::Alone) {
        session = onlineSession(options, recording ? &*recording : nullptr);
        if (!session) return kUsageStatus;
    } else if (replay && options.headless) {
        session = std::make_unique<ReplaySession>(std::cout, std::move(replay->ticks));
    } else if (replay) {
        auto viewer = std::make_unique<ViewerSession>(std::move(replay->ticks), std::cout);
        watched = viewer.get();
        session = std::move(viewer);
    } else {
        session = std::make_unique<LocalSession>(std::cout, makePlayerSource(options.player1),
                                                 makePlayerSource(options.player2), options.ticks,
                                                 recording ? &*recording : nullptr);
    }
    MenuManager noMenus;
    std::optional<ViewerLayer> viewerLayer;
    if (watched != nullptr) viewerLayer.emplace(*watched);
    Engine engine(viewerLayer ? *viewerLayer : noMenus);
    engine.images = arenaImages(data->graphics());
    if (!options.mute && !options.headless) engine.soundsDir = data->sounds();
    engine.setSession(std::move(session));
    if (options.headless) return engine.runHeadless();
    if (const auto status = engine.run(static_cast<int>(options.toolkitArgs.size()) - 1, options.toolkitArgs.data()))
        return *status;
    std::cout << "end of it all" << std::endl;
    return EXIT_SUCCESS;
}
