#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "MenuManager.h"
#include "Settings.h"

// The keys the menus answer to; typed characters come through Menu::type.
enum class MenuKey { Up, Down, Left, Right, Enter, Escape, Backspace };

// Who plays a side of a match started from the menu: the person at this machine (the keyboard for
// player 1, the mouse for player 2) or the computer.
enum class Seat { Person, Computer };

// What the program is to do about a choice made in the menus; the menus only say it.
struct MenuAction {
    enum class Kind {
        None,
        // A match on this machine with these seats and the computer's level.
        StartLocal,
        // Host a match on port, or join the one at address (which the settings now hold as the last
        // joined), with the settings' input delay.
        Host,
        Join,
        // Watch the recording at replay.
        Watch,
        // Stop the local match's clock, or let it run again.
        Pause,
        Resume,
        // End the match (online: the other machine is told) or the replay, back to the menus.
        LeaveMatch,
        // Give up waiting for the other machine.
        CancelWaiting,
        // The settings changed: keep them and apply them.
        SettingsChanged,
        // End the program with status.
        Quit,
    };
    Kind kind = Kind::None;
    Seat player1 = Seat::Person;
    Seat player2 = Seat::Person;
    ComputerLevel level = ComputerLevel::Normal;
    int port = 0;
    std::string address;
    std::filesystem::path replay;
    int status = 0;
};

// What one menu screen shows: a title, lines to read, the items to choose from with one selected, and
// a notice (why the last choice did not work), which the drawing places.
struct MenuPage {
    std::string title;
    std::vector<std::string> lines;
    std::vector<std::string> items;
    std::size_t selected = 0;
    std::string notice;
};

// The menus, as a state machine of screens: the title, its sub-screens, and the screens over a match
// (pause, leaving an online match, the result). Keys, typed characters and the pointer move the
// selection and choose; each choice answers with what the program is to do. Nothing here draws, plays
// or starts anything, so every path through the menus runs in a test.
class Menu {
public:
    enum class Screen {
        // No menu: a match or a replay is on, and only Escape reaches the menus.
        Hidden,
        Title,
        Computer,
        Join,
        // Hosting or joining, until the other machine answers.
        Waiting,
        Replays,
        SettingsList,
        Paused,
        LeaveOnline,
        Result,
    };

    // Starts on the title with these settings; replaysFolder is where "Watch a replay" looks (none:
    // nowhere to look).
    Menu(Settings settings, std::optional<std::filesystem::path> replaysFolder);

    Screen screen() const { return current; }
    bool showing() const { return current != Screen::Hidden; }
    // The settings as the menus last changed them.
    const Settings& settings() const { return kept; }
    // What the current screen shows.
    MenuPage page() const;

    MenuAction press(MenuKey key);
    // A printable character: text for an address or port being typed, else W and S move like Up and Down.
    MenuAction type(char c);
    // The pointer over item (none: over no item) selects it; a left click chooses it.
    void point(std::optional<std::size_t> item);
    MenuAction click(std::size_t item);

    // The program's reports. The match it was asked for is on: the menus hide.
    void matchStarted();
    // Hosting or joining failed, for the reason given (one line): back to where it was asked for.
    void startFailed(const std::string& why);
    // Where the other player can reach a hosted match, shown while waiting.
    void setHostAddresses(std::vector<std::string> addresses);
    // A match of set length ended with these scores.
    void showResult(int player1Score, int player2Score);
    // The match or replay on screen ended by itself (the other machine left, the replay was refused):
    // back to the title, with why if anything went wrong.
    void backToTitle(const std::string& why = "");

    // The sounds the menus asked for since the last call.
    std::vector<MenuCue> takeCues();

private:
    // Every item a screen can have, each one's meaning.
    enum class Item {
        PlayComputer,
        PlayTwo,
        HostMatch,
        JoinMatch,
        WatchReplay,
        OpenSettings,
        QuitGame,
        Side,
        Level,
        Start,
        Back,
        Address,
        JoinNow,
        GiveUp,
        Recording,
        Volume,
        Mute,
        FullScreen,
        InputDelay,
        HostPort,
        RecordEvery,
        Resume,
        BackToMenu,
        LeaveMatch,
        BackToMatch,
        PlayAgain,
    };
    // What kind of match is on, so that Escape knows what it offers and "Play again" what to repeat.
    enum class MatchKind { None, Local, Online, Replay };

    std::vector<Item> items() const;
    std::string label(Item item, std::size_t index) const;
    void open(Screen screen, std::size_t selected = 0);
    void select(std::size_t item);
    MenuAction choose();
    // Left (-1) or Right (+1) on a setting; Enter counts as Right.
    MenuAction adjust(Item item, int direction);
    MenuAction settingsChanged();
    MenuAction start(MenuAction action, MatchKind kind);
    bool typingText() const;

    Settings kept;
    std::optional<std::filesystem::path> replaysFolder;
    Screen current = Screen::Title;
    std::size_t selected = 0;
    std::string notice;
    // The address and port as typed, which may not be usable yet.
    std::string address;
    std::string portText;
    std::vector<std::filesystem::path> recordings;
    std::vector<std::string> hostAddresses;
    int scores[2] = {0, 0};
    MatchKind matchKind = MatchKind::None;
    // What started the last match, for "Play again"; and which screen a failed start goes back to.
    MenuAction lastStart;
    Screen startedFrom = Screen::Title;
    std::size_t startedSelected = 0;
    std::vector<MenuCue> cues;
};
