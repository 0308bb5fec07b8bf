#include "MenuSession.h"

#include <ctime>
#include <iostream>
#include <random>
#include <utility>
#include <variant>

#include "LocalAddresses.h"
#include "LocalSession.h"
#include "PlayerSources.h"
#include "Recordings.h"
#include "ReplayFile.h"
#include "WindowSystem.h"

namespace {

std::unique_ptr<PlayerSource> sourceFor(Seat seat, ComputerLevel level)
{
    if (seat == Seat::Person) return nullptr;
    // The computer plays a new match each time; a recording holds what it did.
    SourceChoice bot;
    bot.kind = SourceChoice::Kind::Bot;
    bot.seed = std::random_device{}();
    bot.level = level == ComputerLevel::Easy   ? BotLevel::Easy
                : level == ComputerLevel::Hard ? BotLevel::Hard
                                               : BotLevel::Normal;
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
    online = nullptr;
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
        auto match = std::make_unique<LocalSession>(console, sourceFor(action.player1, action.level),
                                                    sourceFor(action.player2, action.level), matchTicks, file);
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
    case Kind::Join: goOnline(action); break;
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

void MenuSession::goOnline(const MenuAction& action)
{
    settings.adopt(menu.settings());
    const bool hosting = action.kind == MenuAction::Kind::Host;
    const auto endpoint = hosting ? std::optional<Endpoint>() : parseEndpoint(action.address);
    if (!hosting && !endpoint) return menu.startFailed("HOST or HOST:PORT, with a port from 1 to 65535");
    const int ticks = matchTicks != 0 ? static_cast<int>(matchTicks) : static_cast<int>(kMaxMatchTicks);
    auto link = hosting ? NetTransport::host(static_cast<std::uint16_t>(action.port),
                                             {1, settings.current().inputDelay, ticks}, buildIdentity())
                        : NetTransport::join(*endpoint, buildIdentity(), 2);
    if (const auto* problem = std::get_if<std::string>(&link)) return menu.startFailed(*problem);
    if (inner) inner->leave();
    inner.reset();
    OnlineSetup setup;
    setup.console = &console;
    setup.ownPlayer = hosting ? 1 : 2;
    setup.recording = startRecording();
    setup.log = &std::cerr;
    const std::string where = hosting ? std::to_string(action.port) : action.address;
    auto match =
        std::make_unique<OnlineSession>(std::get<NetTransport>(std::move(link)), std::move(setup), hosting, where);
    OnlineSession* started = match.get();
    run(std::move(match));
    online = started;
    if (hosting) menu.setHostAddresses(localAddresses());
}

void MenuSession::frame(const TickInput& devices)
{
    for (const MenuAction& action : layer.takeActions()) carryOut(action);
    for (const KeyPress& press : layer.takePresses())
        if (viewing != nullptr) viewing->press(press);
    // Behind a menu the match stands still: paused, or the idle arena behind the title, which would
    // otherwise hold the pointer at the window's centre.
    // An online match goes on whatever the menus show: the other machine expects every frame.
    if (status || !inner || paused || (menu.showing() && online == nullptr)) return;
    TickInput record = devices;
    record.window.quit = false;
    inner->frame(record);
    if (viewing != nullptr) layer.statusLine = viewing->statusLine();
    if (online != nullptr && menu.screen() == Menu::Screen::Waiting && online->confirmedTicks() > 0)
        menu.matchStarted();
    if (inner->finished()) {
        const std::optional<int> over = inner->finished();
        if (playing != nullptr)
            menu.showResult(playing->game().p1Score, playing->game().p2Score);
        else if (online != nullptr && *over == 0)
            menu.showResult(online->confirmedMatch().p1Score, online->confirmedMatch().p2Score);
        else if (online != nullptr)
            menu.backToTitle("The online match ended: see the messages on standard error");
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
