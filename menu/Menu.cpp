#include "Menu.h"

#include <charconv>
#include <utility>

#include "Recordings.h"

namespace {

constexpr int kVolumeStep = 10; // percent
constexpr std::size_t kMaxPortDigits = 5;

const char* onOff(bool on) { return on ? "on" : "off"; }

int wrapped(int value, int low, int high)
{
    if (value < low) return high;
    if (value > high) return low;
    return value;
}

} // namespace

Menu::Menu(Settings settings, std::optional<std::filesystem::path> replaysFolder)
    : kept(std::move(settings)), replaysFolder(std::move(replaysFolder))
{
}

std::vector<Menu::Item> Menu::items() const
{
    switch (current) {
    case Screen::Title:
        return {Item::PlayComputer, Item::PlayTwo,      Item::HostMatch, Item::JoinMatch,
                Item::WatchReplay,  Item::OpenSettings, Item::QuitGame};
    case Screen::Computer: return {Item::Side, Item::Level, Item::Start, Item::Back};
    case Screen::Join: return {Item::Address, Item::JoinNow, Item::Back};
    case Screen::Waiting: return {Item::GiveUp};
    case Screen::Replays: {
        std::vector<Item> list(recordings.size(), Item::Recording);
        list.push_back(Item::Back);
        return list;
    }
    case Screen::SettingsList:
        return {Item::Volume,   Item::Mute,        Item::FullScreen, Item::InputDelay,
                Item::HostPort, Item::RecordEvery, Item::Back};
    case Screen::Paused: return {Item::Resume, Item::BackToMenu, Item::QuitGame};
    case Screen::LeaveOnline: return {Item::LeaveMatch, Item::BackToMatch};
    case Screen::Result: return {Item::PlayAgain, Item::BackToMenu};
    default: return {};
    }
}

std::string Menu::label(Item item, std::size_t index) const
{
    const bool editing = index == selected;
    switch (item) {
    case Item::PlayComputer: return "Play against the computer";
    case Item::PlayTwo: return "Two players on this machine";
    case Item::HostMatch: return "Host an online match";
    case Item::JoinMatch: return "Join an online match";
    case Item::WatchReplay: return "Watch a replay";
    case Item::OpenSettings: return "Settings";
    case Item::QuitGame: return "Quit";
    case Item::Side: return kept.personPlayer == 2 ? "You: the mouse, player 2" : "You: the keyboard, player 1";
    case Item::Level: return std::string("Computer: ") + levelName(kept.computerLevel);
    case Item::Start: return "Start";
    case Item::Back: return "Back";
    case Item::Address: return "Address: " + address + (editing ? "_" : "");
    case Item::JoinNow: return "Join";
    case Item::GiveUp: return "Give up";
    case Item::Recording: return recordings[index].filename().string();
    case Item::Volume: return "Volume: " + std::to_string(kept.volume) + "%";
    case Item::Mute: return std::string("Sound: ") + onOff(!kept.mute);
    case Item::FullScreen: return std::string("Full screen: ") + onOff(kept.fullScreen);
    case Item::InputDelay:
        return "Online input delay: " + std::to_string(kept.inputDelay) + (kept.inputDelay == 1 ? " tick" : " ticks");
    case Item::HostPort: return "Host on port: " + portText + (editing ? "_" : "");
    case Item::RecordEvery: return std::string("Record every match: ") + onOff(kept.recordEveryMatch);
    case Item::Resume: return "Resume";
    case Item::BackToMenu: return "Back to the menu";
    case Item::LeaveMatch: return "Leave the match";
    case Item::BackToMatch: return "Back to the match";
    case Item::PlayAgain: return "Play again";
    }
    return "";
}

MenuPage Menu::page() const
{
    MenuPage shown;
    const std::vector<Item> list = items();
    for (std::size_t i = 0; i < list.size(); ++i) shown.items.push_back(label(list[i], i));
    shown.selected = selected;
    shown.notice = notice;
    switch (current) {
    case Screen::Title: shown.title = "SKIRMORA"; break;
    case Screen::Computer: shown.title = "Play against the computer"; break;
    case Screen::Join:
        shown.title = "Join an online match";
        shown.lines = {"Type the host's address: HOST or HOST:PORT"};
        break;
    case Screen::Waiting:
        if (lastStart.kind == MenuAction::Kind::Host) {
            shown.title = "Hosting an online match";
            shown.lines = {"Waiting for the other player on UDP port " + std::to_string(lastStart.port)};
            if (!hostAddresses.empty()) shown.lines.push_back("Give them one of these addresses:");
            for (const std::string& where : hostAddresses) shown.lines.push_back(where);
        } else {
            shown.title = "Joining an online match";
            shown.lines = {"Waiting for " + lastStart.address};
        }
        break;
    case Screen::Replays:
        shown.title = "Watch a replay";
        if (recordings.empty()) shown.lines = {"No recordings yet: turn on \"Record every match\" in Settings."};
        break;
    case Screen::SettingsList: shown.title = "Settings"; break;
    case Screen::Paused: shown.title = "Paused"; break;
    case Screen::LeaveOnline:
        shown.title = "Online match";
        shown.lines = {"The match goes on while this menu is open."};
        break;
    case Screen::Result:
        shown.title = scores[0] == scores[1] ? "A draw" : scores[0] > scores[1] ? "Player 1 wins" : "Player 2 wins";
        shown.lines = {"Player 1 score " + std::to_string(scores[0]), "Player 2 score " + std::to_string(scores[1])};
        break;
    default: break;
    }
    return shown;
}

void Menu::open(Screen screen, std::size_t selectedItem)
{
    current = screen;
    selected = selectedItem;
    notice.clear();
}

void Menu::select(std::size_t item)
{
    if (item == selected || item >= items().size()) return;
    selected = item;
    cues.push_back(MenuCue::Move);
}

bool Menu::typingText() const
{
    if (current == Screen::Join) return true;
    return current == Screen::SettingsList && items()[selected] == Item::HostPort;
}

MenuAction Menu::press(MenuKey key)
{
    const std::size_t count = items().size();
    switch (key) {
    case MenuKey::Up:
        if (count > 0) select(selected == 0 ? count - 1 : selected - 1);
        return {};
    case MenuKey::Down:
        if (count > 0) select(selected + 1 == count ? 0 : selected + 1);
        return {};
    case MenuKey::Left:
    case MenuKey::Right:
        if (count == 0) return {};
        return adjust(items()[selected], key == MenuKey::Left ? -1 : 1);
    case MenuKey::Enter: return count > 0 ? choose() : MenuAction{};
    case MenuKey::Backspace:
        if (current == Screen::Join && !address.empty()) address.pop_back();
        if (typingText() && current == Screen::SettingsList && !portText.empty()) portText.pop_back();
        return {};
    case MenuKey::Escape: break;
    }
    // Escape: one screen back.
    MenuAction action;
    switch (current) {
    case Screen::Hidden:
        if (matchKind == MatchKind::Local) {
            open(Screen::Paused);
            action.kind = MenuAction::Kind::Pause;
        } else if (matchKind == MatchKind::Online) {
            open(Screen::LeaveOnline);
        } else if (matchKind == MatchKind::Replay) {
            matchKind = MatchKind::None;
            open(Screen::Replays, startedSelected);
            action.kind = MenuAction::Kind::LeaveMatch;
        } else {
            return {};
        }
        break;
    case Screen::Title:
        action.kind = MenuAction::Kind::Quit;
        action.status = 0;
        break;
    case Screen::Computer: open(Screen::Title, 0); break;
    case Screen::Join: open(Screen::Title, 3); break;
    case Screen::Replays: open(Screen::Title, 4); break;
    case Screen::SettingsList: open(Screen::Title, 5); break;
    case Screen::Waiting:
        open(Screen::Title, lastStart.kind == MenuAction::Kind::Host ? 2 : 3);
        action.kind = MenuAction::Kind::CancelWaiting;
        break;
    case Screen::Paused:
    case Screen::LeaveOnline:
        open(Screen::Hidden);
        action.kind = MenuAction::Kind::Resume;
        break;
    case Screen::Result:
        matchKind = MatchKind::None;
        open(Screen::Title);
        break;
    }
    cues.push_back(MenuCue::Choose);
    return action;
}

MenuAction Menu::type(char c)
{
    if (c < ' ' || c > '~') return {};
    if (current == Screen::Join) {
        if (c != ' ' && address.size() < Settings::kMaxJoinAddress) address += c;
        return {};
    }
    const bool digit = c >= '0' && c <= '9';
    if (typingText() && digit) {
        if (portText.size() >= kMaxPortDigits) return {};
        portText += c;
        int port = 0;
        const auto [stop, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        // Only a usable port is kept; the text may be on its way to one.
        if (error != std::errc() || port < 1 || port > 65535 || portText[0] == '0') return {};
        kept.hostPort = port;
        return settingsChanged();
    }
    if (c == 'w' || c == 'W') return press(MenuKey::Up);
    if (c == 's' || c == 'S') return press(MenuKey::Down);
    return {};
}

void Menu::point(std::optional<std::size_t> item)
{
    if (item) select(*item);
}

MenuAction Menu::click(std::size_t item)
{
    if (item >= items().size()) return {};
    select(item);
    return choose();
}

MenuAction Menu::settingsChanged()
{
    MenuAction action;
    action.kind = MenuAction::Kind::SettingsChanged;
    cues.push_back(MenuCue::Choose);
    return action;
}

MenuAction Menu::adjust(Item item, int direction)
{
    switch (item) {
    case Item::Side: kept.personPlayer = kept.personPlayer == 1 ? 2 : 1; break;
    case Item::Level: {
        const int level = wrapped(static_cast<int>(kept.computerLevel) + direction, 0, 2);
        kept.computerLevel = static_cast<ComputerLevel>(level);
        break;
    }
    case Item::Volume: {
        const int volume = kept.volume + direction * kVolumeStep;
        if (volume < 0 || volume > Settings::kMaxVolume) return {};
        kept.volume = volume;
        break;
    }
    case Item::Mute: kept.mute = !kept.mute; break;
    case Item::FullScreen: kept.fullScreen = !kept.fullScreen; break;
    case Item::InputDelay: kept.inputDelay = wrapped(kept.inputDelay + direction, 0, Settings::kMaxInputDelay); break;
    case Item::RecordEvery: kept.recordEveryMatch = !kept.recordEveryMatch; break;
    default: return {};
    }
    return settingsChanged();
}

MenuAction Menu::start(MenuAction action, MatchKind kind)
{
    lastStart = action;
    matchKind = kind;
    startedFrom = current;
    startedSelected = selected;
    cues.push_back(MenuCue::Choose);
    if (kind == MatchKind::Online) {
        open(Screen::Waiting);
    } else {
        open(Screen::Hidden);
    }
    return action;
}

MenuAction Menu::choose()
{
    const Item item = items()[selected];
    MenuAction action;
    const auto goTo = [this](Screen screen, std::size_t first = 0) {
        open(screen, first);
        cues.push_back(MenuCue::Choose);
        return MenuAction{};
    };
    switch (item) {
    case Item::PlayComputer: return goTo(Screen::Computer, 2);
    case Item::PlayTwo: action.kind = MenuAction::Kind::StartLocal; return start(action, MatchKind::Local);
    case Item::Start:
        action.kind = MenuAction::Kind::StartLocal;
        (kept.personPlayer == 2 ? action.player1 : action.player2) = Seat::Computer;
        action.level = kept.computerLevel;
        return start(action, MatchKind::Local);
    case Item::HostMatch:
        action.kind = MenuAction::Kind::Host;
        action.port = kept.hostPort;
        hostAddresses.clear();
        return start(action, MatchKind::Online);
    case Item::JoinMatch: address = kept.joinAddress; return goTo(Screen::Join);
    case Item::Address:
    case Item::JoinNow:
        if (!validJoinAddress(address)) {
            notice = "Type the host's address first.";
            return {};
        }
        action.kind = MenuAction::Kind::Join;
        action.address = address;
        if (kept.joinAddress != address) {
            // Kept for next time: the program adopts the settings when it joins.
            kept.joinAddress = address;
        }
        return start(action, MatchKind::Online);
    case Item::WatchReplay: {
        recordings.clear();
        if (replaysFolder)
            for (const Recording& recording : RecordingShelf(*replaysFolder).newestFirst())
                recordings.push_back(recording.path);
        return goTo(Screen::Replays);
    }
    case Item::Recording:
        action.kind = MenuAction::Kind::Watch;
        action.replay = recordings[selected];
        return start(action, MatchKind::Replay);
    case Item::OpenSettings: portText = std::to_string(kept.hostPort); return goTo(Screen::SettingsList);
    case Item::QuitGame:
        cues.push_back(MenuCue::Choose);
        action.kind = MenuAction::Kind::Quit;
        action.status = 0;
        return action;
    case Item::Back: return press(MenuKey::Escape);
    case Item::GiveUp: return press(MenuKey::Escape);
    case Item::HostPort: return {};
    case Item::Resume:
    case Item::BackToMatch: return press(MenuKey::Escape);
    case Item::BackToMenu:
    case Item::LeaveMatch:
        // After the result the match is over already.
        action.kind = current == Screen::Result ? MenuAction::Kind::None : MenuAction::Kind::LeaveMatch;
        matchKind = MatchKind::None;
        goTo(Screen::Title);
        return action;
    case Item::PlayAgain:
        return start(lastStart, lastStart.kind == MenuAction::Kind::StartLocal ? MatchKind::Local : MatchKind::Online);
    default: return adjust(item, 1);
    }
}

void Menu::matchStarted() { open(Screen::Hidden); }

void Menu::startFailed(const std::string& why)
{
    matchKind = MatchKind::None;
    if (startedFrom == Screen::Join) {
        open(Screen::Join);
    } else {
        open(Screen::Title, lastStart.kind == MenuAction::Kind::Host ? 2 : 0);
    }
    notice = why;
}

void Menu::setHostAddresses(std::vector<std::string> addresses) { hostAddresses = std::move(addresses); }

void Menu::showResult(int player1Score, int player2Score)
{
    scores[0] = player1Score;
    scores[1] = player2Score;
    open(Screen::Result);
}

void Menu::backToTitle(const std::string& why)
{
    matchKind = MatchKind::None;
    open(Screen::Title);
    notice = why;
}

std::vector<MenuCue> Menu::takeCues() { return std::exchange(cues, {}); }
