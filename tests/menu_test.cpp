#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Menu.h"
#include "MenuDrawing.h"
#include "MenuLayer.h"
#include "Recordings.h"

namespace fs = std::filesystem;
using Kind = MenuAction::Kind;
using Screen = Menu::Screen;

// The menus as a state machine: every screen's items in order, how keys, typing and the pointer move
// and choose, what each choice asks the program to do, and where the drawing puts it all.
namespace {

const std::vector<std::string> kTitleItems = {"Play against the computer",
                                              "Two players on this machine",
                                              "Host an online match",
                                              "Join an online match",
                                              "Watch a replay",
                                              "Settings",
                                              "Quit"};

std::string selectedLabel(const Menu& menu)
{
    const MenuPage page = menu.page();
    return page.items.at(page.selected);
}

// Presses Down until the item labelled so is selected.
void selectItem(Menu& menu, const std::string& label)
{
    for (std::size_t i = 0; i < menu.page().items.size() && selectedLabel(menu) != label; ++i)
        menu.press(MenuKey::Down);
    ASSERT_EQ(selectedLabel(menu), label);
}

MenuAction chooseItem(Menu& menu, const std::string& label)
{
    selectItem(menu, label);
    return menu.press(MenuKey::Enter);
}

struct Scratch {
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "skirmora_menu_XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    ~Scratch() { fs::remove_all(folder); }
    fs::path folder;
};

TEST(Menu, TheTitleListsEveryModeInOrderAndTheSelectionWraps)
{
    Menu menu({}, std::nullopt);
    EXPECT_EQ(menu.page().title, "SKIRMORA");
    EXPECT_EQ(menu.page().items, kTitleItems);
    // Up from the first wraps to Quit, Down from the last back to the first; W and S alike.
    menu.press(MenuKey::Up);
    EXPECT_EQ(selectedLabel(menu), "Quit");
    menu.type('s');
    EXPECT_EQ(selectedLabel(menu), kTitleItems[0]);
    menu.type('W');
    menu.type('w');
    EXPECT_EQ(selectedLabel(menu), "Settings");
    EXPECT_EQ(menu.takeCues(), std::vector<MenuCue>(4, MenuCue::Move));
    // Escape on the title, or Quit, ends the program with status 0.
    const MenuAction escape = menu.press(MenuKey::Escape);
    EXPECT_EQ(escape.kind, Kind::Quit);
    EXPECT_EQ(escape.status, 0);
    EXPECT_EQ(chooseItem(menu, "Quit").kind, Kind::Quit);
}

TEST(Menu, EnterEnterStartsAMatchAgainstTheComputerOnTheMouseSide)
{
    Menu menu({}, std::nullopt);
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::None);
    EXPECT_EQ(menu.screen(), Screen::Computer);
    EXPECT_EQ(menu.page().items,
              (std::vector<std::string>{"You: the keyboard, player 1", "Computer: normal", "Start", "Back"}));
    EXPECT_EQ(selectedLabel(menu), "Start");
    const MenuAction start = menu.press(MenuKey::Enter);
    EXPECT_EQ(start.kind, Kind::StartLocal);
    EXPECT_EQ(start.player1, Seat::Person);
    EXPECT_EQ(start.player2, Seat::Computer);
    EXPECT_EQ(start.level, ComputerLevel::Normal);
    EXPECT_FALSE(menu.showing());
    EXPECT_EQ(menu.takeCues(), std::vector<MenuCue>(2, MenuCue::Choose));

    // The side and the level are settings: changed here, kept, and used by the next start.
    Menu other({}, std::nullopt);
    other.press(MenuKey::Enter);
    other.press(MenuKey::Up);
    EXPECT_EQ(other.press(MenuKey::Left).kind, Kind::SettingsChanged);
    EXPECT_EQ(other.settings().computerLevel, ComputerLevel::Easy);
    other.press(MenuKey::Left);
    EXPECT_EQ(other.settings().computerLevel, ComputerLevel::Hard); // wraps
    other.press(MenuKey::Up);
    EXPECT_EQ(other.press(MenuKey::Enter).kind, Kind::SettingsChanged);
    EXPECT_EQ(other.settings().personPlayer, 2);
    const MenuAction swapped = chooseItem(other, "Start");
    EXPECT_EQ(swapped.player1, Seat::Computer);
    EXPECT_EQ(swapped.player2, Seat::Person);
    EXPECT_EQ(swapped.level, ComputerLevel::Hard);
}

// The path a player takes to pause and leave: Escape pauses, Down and Enter go back to the title, and
// Up and Enter (wrapping to Quit) end the program.
TEST(Menu, EscapePausesALocalMatchWhichResumesOrEnds)
{
    Menu menu({}, std::nullopt);
    EXPECT_EQ(chooseItem(menu, "Two players on this machine").player2, Seat::Person);
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::Pause);
    EXPECT_EQ(menu.page().title, "Paused");
    EXPECT_EQ(menu.page().items, (std::vector<std::string>{"Resume", "Back to the menu", "Quit"}));
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::Resume);
    EXPECT_FALSE(menu.showing());

    menu.press(MenuKey::Escape);
    menu.press(MenuKey::Down);
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::LeaveMatch);
    EXPECT_EQ(menu.screen(), Screen::Title);
    // Back on the title, Escape quits rather than pausing anything.
    menu.press(MenuKey::Up);
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::Quit);

    // Without a match started from the menus, Escape in a match is not the menus' to answer.
    Menu idle({}, std::nullopt);
    idle.matchStarted();
    EXPECT_EQ(idle.press(MenuKey::Escape).kind, Kind::None);
    EXPECT_FALSE(idle.showing());
}

TEST(Menu, HostingWaitsWithThePortAndAddressesAndOnlineEscapeOffersToLeave)
{
    Settings settings;
    settings.hostPort = 7800;
    Menu menu(settings, std::nullopt);
    const MenuAction host = chooseItem(menu, "Host an online match");
    EXPECT_EQ(host.kind, Kind::Host);
    EXPECT_EQ(host.port, 7800);
    menu.setHostAddresses({"127.0.0.1", "127.0.0.5"});
    EXPECT_EQ(menu.page().lines,
              (std::vector<std::string>{"Waiting for the other player on UDP port 7800",
                                        "Give them one of these addresses:", "127.0.0.1", "127.0.0.5"}));
    EXPECT_EQ(menu.page().items, (std::vector<std::string>{"Give up"}));
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::CancelWaiting);
    EXPECT_EQ(selectedLabel(menu), "Host an online match");

    // Connected: no pause online, only the offer to leave, and the match goes on meanwhile.
    menu.press(MenuKey::Enter);
    menu.matchStarted();
    EXPECT_FALSE(menu.showing());
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::None);
    EXPECT_EQ(menu.page().items, (std::vector<std::string>{"Leave the match", "Back to the match"}));
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::Resume);
    menu.press(MenuKey::Escape);
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::LeaveMatch);
    EXPECT_EQ(menu.screen(), Screen::Title);

    // A port that cannot be bound: back on the title, saying why.
    chooseItem(menu, "Host an online match");
    menu.startFailed("UDP port 7800 is in use");
    EXPECT_EQ(menu.screen(), Screen::Title);
    EXPECT_EQ(menu.page().notice, "UDP port 7800 is in use");
    EXPECT_EQ(selectedLabel(menu), "Host an online match");
}

TEST(Menu, JoiningTakesATypedAddressAndOffersTheLastOne)
{
    Settings settings;
    settings.joinAddress = "127.0.0.1";
    Menu menu(settings, std::nullopt);
    chooseItem(menu, "Join an online match");
    EXPECT_EQ(menu.page().items, (std::vector<std::string>{"Address: 127.0.0.1_", "Join", "Back"}));
    // Typing edits the address, W and S included; Up and Down still move.
    for (int i = 0; i < 10; ++i) menu.press(MenuKey::Backspace);
    for (const char c : std::string("ws.localhost:7800 \t")) menu.type(c);
    EXPECT_EQ(selectedLabel(menu), "Address: ws.localhost:7800_");
    const MenuAction join = menu.press(MenuKey::Enter);
    EXPECT_EQ(join.kind, Kind::Join);
    EXPECT_EQ(join.address, "ws.localhost:7800");
    EXPECT_EQ(menu.settings().joinAddress, "ws.localhost:7800");
    EXPECT_EQ(menu.page().lines, (std::vector<std::string>{"Waiting for ws.localhost:7800"}));

    // Nobody answered: back to the address, saying why; an empty address is not joined.
    menu.startFailed("nobody answered at ws.localhost:7800 within 10 s");
    EXPECT_EQ(menu.screen(), Screen::Join);
    EXPECT_EQ(menu.page().notice, "nobody answered at ws.localhost:7800 within 10 s");
    for (int i = 0; i < 20; ++i) menu.press(MenuKey::Backspace);
    menu.press(MenuKey::Down);
    EXPECT_EQ(menu.press(MenuKey::Enter).kind, Kind::None);
    EXPECT_EQ(menu.page().notice, "Type the host's address first.");
}

TEST(Menu, AReplayIsChosenFromTheFolderNewestFirstAndEscapeComesBackToTheList)
{
    Scratch scratch;
    Menu empty({}, scratch.folder / "none");
    chooseItem(empty, "Watch a replay");
    EXPECT_EQ(empty.page().items, (std::vector<std::string>{"Back"}));
    EXPECT_EQ(empty.page().lines.size(), 1u);

    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < 3; ++i) {
        const fs::path file = scratch.folder / RecordingShelf::datedName(1000 + i);
        std::ofstream(file) << "skirmora-replay 1\n";
        fs::last_write_time(file, now - std::chrono::minutes(10 - i));
    }
    Menu menu({}, scratch.folder);
    chooseItem(menu, "Watch a replay");
    EXPECT_EQ(menu.page().items,
              (std::vector<std::string>{"match-19700101-001642.replay", "match-19700101-001641.replay",
                                        "match-19700101-001640.replay", "Back"}));
    menu.press(MenuKey::Down);
    const MenuAction watch = menu.press(MenuKey::Enter);
    EXPECT_EQ(watch.kind, Kind::Watch);
    EXPECT_EQ(watch.replay, scratch.folder / "match-19700101-001641.replay");
    EXPECT_FALSE(menu.showing());
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::LeaveMatch);
    EXPECT_EQ(menu.screen(), Screen::Replays);
    EXPECT_EQ(selectedLabel(menu), "match-19700101-001641.replay");
}

TEST(Menu, SettingsChangeWithinTheirRanges)
{
    Menu menu({}, std::nullopt);
    chooseItem(menu, "Settings");
    EXPECT_EQ(menu.page().items,
              (std::vector<std::string>{"Volume: 100%", "Sound: on", "Full screen: off", "Online input delay: 2 ticks",
                                        "Host on port: 7770", "Record every match: off", "Back"}));
    // Volume by tens, and no further than full.
    EXPECT_EQ(menu.press(MenuKey::Right).kind, Kind::None);
    EXPECT_EQ(menu.press(MenuKey::Left).kind, Kind::SettingsChanged);
    EXPECT_EQ(menu.settings().volume, 90);
    for (int i = 0; i < 12; ++i) menu.press(MenuKey::Left);
    EXPECT_EQ(menu.settings().volume, 0);
    // Switches flip with Enter, Left or Right.
    menu.press(MenuKey::Down);
    menu.press(MenuKey::Enter);
    EXPECT_TRUE(menu.settings().mute);
    EXPECT_EQ(selectedLabel(menu), "Sound: off");
    menu.press(MenuKey::Down);
    menu.press(MenuKey::Right);
    EXPECT_TRUE(menu.settings().fullScreen);
    // The input delay wraps round its range of 0 to 8.
    menu.press(MenuKey::Down);
    menu.press(MenuKey::Left);
    menu.press(MenuKey::Left);
    menu.press(MenuKey::Left);
    EXPECT_EQ(menu.settings().inputDelay, 8);
    menu.press(MenuKey::Enter);
    EXPECT_EQ(selectedLabel(menu), "Online input delay: 0 ticks");

    // The port is typed: only digits, at most five, and only a usable port is kept.
    menu.press(MenuKey::Down);
    EXPECT_EQ(selectedLabel(menu), "Host on port: 7770_");
    for (int i = 0; i < 4; ++i) menu.press(MenuKey::Backspace);
    EXPECT_EQ(menu.type('0').kind, Kind::None);
    menu.press(MenuKey::Backspace);
    menu.type('s'); // a digit field: S still moves
    EXPECT_EQ(selectedLabel(menu), "Record every match: off");
    menu.press(MenuKey::Up);
    std::vector<Kind> answers;
    for (const char c : std::string("9x9999")) answers.push_back(menu.type(c).kind);
    EXPECT_EQ(answers, (std::vector<Kind>{Kind::SettingsChanged, Kind::None, Kind::SettingsChanged,
                                          Kind::SettingsChanged, Kind::SettingsChanged, Kind::None}));
    EXPECT_EQ(selectedLabel(menu), "Host on port: 99999_");
    EXPECT_EQ(menu.settings().hostPort, 9999);
    menu.press(MenuKey::Down);
    menu.press(MenuKey::Enter);
    EXPECT_TRUE(menu.settings().recordEveryMatch);
    EXPECT_EQ(menu.press(MenuKey::Escape).kind, Kind::None);
    EXPECT_EQ(selectedLabel(menu), "Settings");
}

TEST(Menu, TheResultShowsBothScoresAndPlaysTheSameMatchAgain)
{
    Menu menu({}, std::nullopt);
    menu.press(MenuKey::Enter);
    const MenuAction first = menu.press(MenuKey::Enter);
    menu.showResult(3, 5);
    EXPECT_EQ(menu.page().title, "Player 2 wins");
    EXPECT_EQ(menu.page().lines, (std::vector<std::string>{"Player 1 score 3", "Player 2 score 5"}));
    EXPECT_EQ(menu.page().items, (std::vector<std::string>{"Play again", "Back to the menu"}));
    const MenuAction again = menu.press(MenuKey::Enter);
    EXPECT_EQ(again.kind, Kind::StartLocal);
    EXPECT_EQ(again.player2, first.player2);
    EXPECT_FALSE(menu.showing());
    menu.showResult(4, 4);
    EXPECT_EQ(menu.page().title, "A draw");
    EXPECT_EQ(chooseItem(menu, "Back to the menu").kind, Kind::None);
    EXPECT_EQ(menu.screen(), Screen::Title);
}

// A renderer that lists what it was asked to draw.
struct DrawnRenderer : Renderer {
    void setUpFrame(const Camera&) override {}
    void drawTexturedQuad(const TexturedQuad&) override {}
    void beginBody() override {}
    void endBody() override {}
    void drawHud(const HudValues&) override {}
    void fillScreenRect(const ScreenRect& rect, const Rgba& colour) override { rects.push_back({rect, colour}); }
    void drawScreenText(int x, int y, std::string_view text, TextSize, TextAlign align, const Rgba&) override
    {
        texts.push_back({x, y, std::string(text), align});
    }
    struct Text {
        int x, y;
        std::string text;
        TextAlign align;
    };
    std::vector<std::pair<ScreenRect, Rgba>> rects;
    std::vector<Text> texts;
};

TEST(Menu, TheDrawingDimsThePictureAndKeepsALongListAroundItsSelection)
{
    Menu menu({}, std::nullopt);
    DrawnRenderer drawn;
    drawMenu(menu.page(), drawn, 800, 600);
    // First the whole window dimmed, then the selected row's bar.
    ASSERT_EQ(drawn.rects.size(), 2u);
    EXPECT_EQ(drawn.rects[0].first.width, 800);
    EXPECT_EQ(drawn.rects[0].first.height, 600);
    EXPECT_LT(drawn.rects[0].second.a, 1.0f);
    const MenuLayout layout = layoutMenu(menu.page(), 800, 600);
    EXPECT_EQ(drawn.rects[1].first.y, layout.itemRows[0].y);
    // The title and every item, centred, in order down the window, inside it.
    ASSERT_EQ(drawn.texts.size(), 1 + kTitleItems.size());
    EXPECT_EQ(drawn.texts[0].text, "SKIRMORA");
    for (std::size_t i = 1; i < drawn.texts.size(); ++i) {
        EXPECT_EQ(drawn.texts[i].text, kTitleItems[i - 1]);
        EXPECT_EQ(drawn.texts[i].align, TextAlign::Centre);
        EXPECT_GT(drawn.texts[i].y, drawn.texts[i - 1].y);
    }
    EXPECT_LT(drawn.texts.back().y, 600);

    // Thirty rows do not fit: ten show, the selected one among them.
    MenuPage list;
    list.title = "Watch a replay";
    for (int i = 0; i < 30; ++i) list.items.push_back("recording " + std::to_string(i));
    for (const std::size_t selected : {0u, 17u, 29u}) {
        list.selected = selected;
        const MenuLayout shown = layoutMenu(list, 800, 600);
        std::size_t rows = 0;
        for (const ScreenRect& row : shown.itemRows) rows += row.width > 0;
        EXPECT_EQ(rows, kMaxMenuRows);
        EXPECT_GT(shown.itemRows[selected].width, 0) << selected;
        EXPECT_LE(shown.noticeBaseline, 600);
    }
    // The replay's line sits above the overlay at the bottom.
    DrawnRenderer status;
    drawStatusLine("tick 1 of 2", status, 800, 600);
    ASSERT_EQ(status.rects.size(), 1u);
    EXPECT_LE(status.rects[0].first.y + status.rects[0].first.height, 600 - 45);
    EXPECT_EQ(status.texts.at(0).text, "tick 1 of 2");
}

// In the engine's layer: the pointer reaches items through the layout of the window's size, and the
// drawing is the menu's while it shows, else the replay's line if there is one.
TEST(Menu, TheLayerDrawsOverTheGameAndTakesThePointerInWindowPixels)
{
    Menu menu({}, std::nullopt);
    MenuLayer layer(menu);
    DrawnRenderer drawn;
    layer.render(); // nothing to draw with yet
    layer.drawWith(&drawn, 1000, 400);
    const ScreenRect twoPlayers = layoutMenu(menu.page(), 1000, 400).itemRows[1];
    // Resting where it was first seen, the pointer leaves the selection to the keys.
    const ScreenRect quit = layoutMenu(menu.page(), 1000, 400).itemRows[6];
    layer.pointerMoved(quit.x + 5, quit.y + 5);
    layer.pointerMoved(quit.x + 5, quit.y + 5);
    EXPECT_EQ(selectedLabel(menu), kTitleItems[0]);
    layer.pointerMoved(twoPlayers.x + 5, twoPlayers.y + 5);
    layer.pointerMoved(twoPlayers.x + twoPlayers.width - 1, twoPlayers.y + twoPlayers.height - 1);
    layer.pointerMoved(twoPlayers.x - 1, twoPlayers.y + 5); // off the rows: the selection stays
    EXPECT_EQ(selectedLabel(menu), "Two players on this machine");
    EXPECT_EQ(menu.takeCues(), std::vector<MenuCue>{MenuCue::Move});
    EXPECT_TRUE(layer.wantsPointer());
    layer.leftPressed(5, 5);
    layer.leftPressed(twoPlayers.x + 5, twoPlayers.y + 5);

    // In the match: no menu, and no line unless a replay gives one; keys reach the menus as presses. The
    // pointer shows over a menu or a replay, never over play.
    layer.render();
    EXPECT_TRUE(drawn.rects.empty());
    EXPECT_FALSE(layer.wantsPointer());
    layer.statusLine = "tick 5 of 10";
    EXPECT_TRUE(layer.wantsPointer());
    layer.render();
    ASSERT_EQ(drawn.texts.size(), 1u);
    EXPECT_EQ(drawn.texts[0].text, "tick 5 of 10");
    layer.leftPressed(twoPlayers.x + 5, twoPlayers.y + 5);
    layer.keyPressed({KeyPress::Named::Escape, 0, false});
    layer.keyPressed({KeyPress::Named::None, 's', false});
    layer.keyPressed({KeyPress::Named::Enter, 0, false});
    std::vector<Kind> answered;
    for (const MenuAction& action : layer.takeActions()) answered.push_back(action.kind);
    EXPECT_EQ(answered, (std::vector<Kind>{Kind::StartLocal, Kind::Pause, Kind::LeaveMatch}));
    EXPECT_TRUE(layer.takeActions().empty());
    layer.render();
    EXPECT_TRUE(layer.wantsPointer());
    EXPECT_EQ(drawn.texts.back().text, "Quit");
    EXPECT_EQ(drawn.rects[1].first.width, 1000);
}

} // namespace
