#include "MenuSession.h"

#include <ctime>
#include <iostream>
#include <random>
#include <utility>
#include <variant>

#include "LocalSession.h"
#include "PlayerSources.h"
#include "Recordings.h"
#include "ReplayFile.h"
#include "WindowSystem.h"

namespace {

std::unique_ptr<PlayerSource> sourceFor(Seat seat)
{
    if (seat == Seat::Person) return nullptr;
    // The computer plays a new match each time; a recording holds what it did.
    SourceChoice bot;
    bot.kind = SourceChoice::Kind::Bot;
    bot.seed = std::random_device{}();
    return makePlayerSource(bot);
}

} // namespace

MenuSession::MenuSession(Menu& menu, MenuLayer& layer, KeptSettings& settings,
                         std::optional<std::filesystem::path> replays, std::ostream& console, std::uint64_t matchTicks)
    : menu(menu), layer(layer), settings(settings), replays(std::move(replays)), console(console),
      matchTicks(matchTicks)
{
}

MenuSession::~MenuSession()
{
    // The match goes before the file it records to.
    inner.reset();
}

void MenuSession::applyFullScreen()
{
    if (stage.window == nullptr) return;
    WindowActions keys;
    (settings.current().fullScreen ? keys.fullScreen : keys.restoreWindow) = true;
    resizeForWindowKeys(*stage.window, keys);
}

void MenuSession::begin(const SessionStage& given)
{
    stage = given;
    if (settings.current().fullScreen) applyFullScreen();
    run(std::make_unique<LocalSession>(muted, std::make_unique<IdleSource>(), std::make_unique<IdleSource>()));
}

void MenuSession::run(std::unique_ptr<Session> next)
{
    if (inner) inner->leave();
    viewing = nullptr;
    playing = nullptr;
    layer.statusLine.clear();
    inner = std::move(next);
    inner->begin(stage);
    paused = false;
}

std::ostream* MenuSession::startRecording()
{
    recording.reset();
    if (!settings.current().recordEveryMatch || !replays) return nullptr;
    const auto path = RecordingShelf(*replays).prepareNew(std::time(nullptr));
    if (const auto* problem = std::get_if<std::string>(&path)) {
        std::cerr << "skirmora: " << *problem << "; the match is not recorded" << std::endl;
        return nullptr;
    }
    recording = std::make_unique<std::ofstream>(std::get<std::filesystem::path>(path));
    return recording.get();
}

void MenuSession::carryOut(const MenuAction& action)
{
    using Kind = MenuAction::Kind;
    switch (action.kind) {
    case Kind::StartLocal: {
        // The previous match lets go of its recording before the next one opens its own.
        if (inner) inner->leave();
        inner.reset();
        std::ostream* file = startRecording();
        auto match = std::make_unique<LocalSession>(console, sourceFor(action.player1), sourceFor(action.player2),
                                                    matchTicks, file);
        LocalSession* started = match.get();
        run(std::move(match));
        playing = started;
        break;
    }
    case Kind::Watch: {
        auto loaded = loadReplay(action.replay.string());
        if (const auto* problem = std::get_if<std::string>(&loaded)) {
            menu.backToTitle(*problem);
            break;
        }
        auto viewer = std::make_unique<ViewerSession>(std::move(std::get<Replay>(loaded).ticks), console);
        ViewerSession* watched = viewer.get();
        run(std::move(viewer));
        viewing = watched;
        break;
    }
    case Kind::Host:
    case Kind::Join:
        settings.adopt(menu.settings());
        menu.startFailed("Online matches start from the command line for now: --host or --join");
        break;
    case Kind::Pause: paused = true; break;
    case Kind::Resume: paused = false; break;
    case Kind::LeaveMatch:
    case Kind::CancelWaiting:
        run(std::make_unique<LocalSession>(muted, std::make_unique<IdleSource>(), std::make_unique<IdleSource>()));
        break;
    case Kind::SettingsChanged: {
        const bool wasFullScreen = settings.current().fullScreen;
        settings.adopt(menu.settings());
        if (settings.current().fullScreen != wasFullScreen) applyFullScreen();
        break;
    }
    case Kind::Quit: status = action.status; break;
    case Kind::None: break;
    }
}

void MenuSession::frame(const TickInput& devices)
{
    for (const MenuAction& action : layer.takeActions()) carryOut(action);
    for (const KeyPress& press : layer.takePresses())
        if (viewing != nullptr) viewing->press(press);
    // Behind a menu the match stands still: paused, or the idle arena behind the title, which would
    // otherwise hold the pointer at the window's centre.
    if (status || !inner || paused || menu.showing()) return;
    TickInput record = devices;
    record.window.quit = false;
    inner->frame(record);
    if (viewing != nullptr) layer.statusLine = viewing->statusLine();
    if (inner->finished()) {
        if (playing != nullptr)
            menu.showResult(playing->game().p1Score, playing->game().p2Score);
        else
            menu.backToTitle();
        run(std::make_unique<LocalSession>(muted, std::make_unique<IdleSource>(), std::make_unique<IdleSource>()));
    }
}

std::vector<TickRun> MenuSession::takeTickRuns() { return inner ? inner->takeTickRuns() : std::vector<TickRun>{}; }

void MenuSession::leave()
{
    if (inner) inner->leave();
}
