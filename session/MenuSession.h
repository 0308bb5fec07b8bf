#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "LocalSession.h"
#include "Menu.h"
#include "MenuLayer.h"
#include "OnlineSession.h"
#include "Session.h"
#include "SettingsFile.h"
#include "ViewerSession.h"

// The program started with --menu: the title menu over the arena standing still, and the matches and replays the
// menus start, paused and left from them. The menus, in the engine's layer above the game, hear the
// window's keys and pointer; this session carries out what they answer, once each update period. Escape
// is the menus' (a match's own Escape would end it).
class MenuSession : public Session {
public:
    // console gets the lines of the matches the menus start; settings are kept as the menus change them.
    // Matches started from the menus end after matchTicks (0: never), with their result on screen.
    MenuSession(Menu& menu, MenuLayer& layer, KeptSettings& settings, std::optional<std::filesystem::path> replays,
                std::ostream& console, std::uint64_t matchTicks = 0);
    ~MenuSession() override;

    void begin(const SessionStage& stage) override;
    void frame(const TickInput& devices) override;
    SimulationManager* shownMatch() override { return inner ? inner->shownMatch() : nullptr; }
    std::vector<TickRun> takeTickRuns() override;
    std::optional<int> finished() const override { return status; }
    void leave() override;

private:
    void carryOut(const MenuAction& action);
    // Leaves what runs now and runs next instead, from the next frame.
    void run(std::unique_ptr<Session> next);
    // A file for the match about to start, when every match is recorded: null otherwise or if none can be made.
    std::ostream* startRecording();
    // Hosts on the settings' port, or joins address: the match plays once the other machine answers.
    void goOnline(const MenuAction& action);
    // Full screen, or back to an 800 x 600 window, as the settings say.
    void applyFullScreen();

    Menu& menu;
    MenuLayer& layer;
    KeptSettings& settings;
    std::optional<std::filesystem::path> replays;
    std::ostream& console;
    // Where the idle arena behind the title writes: nowhere.
    std::ostream muted{nullptr};
    SessionStage stage;
    std::unique_ptr<Session> inner;
    // The recording of the match in inner, which must outlive it.
    std::unique_ptr<std::ofstream> recording;
    const std::uint64_t matchTicks;
    // The match being played, or the recording being watched, when inner is one.
    LocalSession* playing = nullptr;
    OnlineSession* online = nullptr;
    ViewerSession* viewing = nullptr;
    bool paused = false;
    std::optional<int> status;
};
