#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "ArenaImages.h"
#include "Engine.h"
#include "InputRecorder.h"
#include "MenuManager.h"
#include "MySim.h"
#include "ReplayFile.h"
#include "ReplayWindow.h"

namespace {

// Status for a bad command line or an unusable file, apart from the game's own 1 for Escape.
constexpr int kUsageStatus = 2;

constexpr const char* kUsage = "usage: skirmora [toolkit options]\n"
                               "       skirmora --mute [--record FILE | --replay FILE] [toolkit options]\n"
                               "       skirmora --record FILE [toolkit options]\n"
                               "       skirmora --replay FILE [toolkit options]\n"
                               "       skirmora --headless --replay FILE\n";

struct Options {
    std::string recordPath;
    std::string replayPath;
    bool headless = false;
    bool mute = false;
    // What is left for the toolkit (-display and the like), program name first.
    std::vector<char*> toolkitArgs;
};

[[noreturn]] void usageError(const std::string& problem)
{
    std::cerr << "skirmora: " << problem << "\n" << kUsage;
    std::exit(kUsageStatus);
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    options.toolkitArgs.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << kUsage;
            std::exit(EXIT_SUCCESS);
        }
        if (arg == "--record" || arg == "--replay") {
            std::string& path = arg == "--record" ? options.recordPath : options.replayPath;
            if (!path.empty()) usageError(arg + " given twice");
            if (i + 1 == argc || argv[i + 1][0] == '\0') usageError(arg + " needs a FILE");
            path = argv[++i];
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--mute") {
            options.mute = true;
        } else if (arg.rfind("--", 0) == 0) {
            usageError("unknown option " + arg);
        } else {
            options.toolkitArgs.push_back(argv[i]);
        }
    }
    if (!options.recordPath.empty() && !options.replayPath.empty())
        usageError("--record and --replay exclude each other");
    if (options.headless && options.replayPath.empty()) usageError("--headless needs --replay FILE");
    if (options.headless && options.toolkitArgs.size() > 1) usageError("--headless takes no toolkit options");
    options.toolkitArgs.push_back(nullptr);
    return options;
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

// The replay's last word: on screen it says the match is over, headless it is the whole result.
[[noreturn]] void endReplay(const MySim& game, std::size_t ticks)
{
    std::cout << "replay ended after " << ticks << " ticks: player 1 health " << game.p1Health << " score "
              << game.p1Score << ", player 2 health " << game.p2Health << " score " << game.p2Score << std::endl;
    std::exit(EXIT_SUCCESS);
}

} // namespace

int main(int argc, char** argv)
{
    Options options = parseOptions(argc, argv);
    Replay replay;
    if (!options.replayPath.empty()) replay = loadOrExit(options.replayPath);
    std::ofstream* recording = options.recordPath.empty() ? nullptr : openRecordingOrExit(options.recordPath);

    // Created once and never destroyed: the process ends with the toolkit's loop.
    auto* game = new MySim;
    auto* menu = new MenuManager;
    auto* engine = new Engine(game, menu);
    engine->images = arenaImages();
    if (!options.mute) engine->soundsDir = "Content/Sounds";
    if (!options.replayPath.empty()) {
        const auto replayIn = [engine, game, &replay](WindowSystem* live) {
            const auto adoptSize = [engine](int width, int height) { engine->reshape(width, height); };
            auto* window = new ReplayWindow(adoptSize, std::move(replay.ticks), live);
            window->onEnd = [game, window] { endReplay(*game, window->ticksPlayed()); };
            engine->input = window;
            return window;
        };
        if (options.headless) {
            engine->window = replayIn(nullptr);
            engine->runHeadless();
        }
        engine->followToolkitReshapes = false;
        engine->wrapToolkitWindow = [replayIn](WindowSystem& live) { return replayIn(&live); };
    } else if (recording != nullptr) {
        engine->input = new InputRecorder(engine->localInput, *recording);
    }
    engine->run(static_cast<int>(options.toolkitArgs.size()) - 1, options.toolkitArgs.data());
    std::cout << "end of it all" << std::endl;
    return 0;
}
