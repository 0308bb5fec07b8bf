#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "InputSource.h"
#include "TextureFile.h"
#include "TickRun.h"

class MatchSound;
class MenuManager;
class Renderer;
class SimulationManager;
class TextureManager;
class WindowSystem;

// Mouse buttons the engine keeps track of; others are ignored.
enum class MouseButton { Left, Right, Other };

// The application: window, frame loop, textures, and the local mouse's state. Each tick it takes one
// input record from its source and steps the simulation with it. One instance, reached through gEngine
// by the toolkit's callbacks.
class Engine {
public:
    // Creates the texture registry, prints "here you are" and becomes gEngine.
    Engine(SimulationManager* simulation, MenuManager* menu);
    // The program never destroys its engine; tests do, and gEngine must not outlive it.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Opens the window, sets up OpenGL, opens the sound (if soundsDir is set), loads the textures, builds
    // the game and runs the toolkit's loop.
    void run(int argc, char** argv);
    // Builds the game and runs ticks back to back with no toolkit or OpenGL (textures stay absent),
    // as fast as they go. input must be set, and is what ends the process; window may be null.
    [[noreturn]] void runHeadless();

    // One fixed step: the next input record, the game's update and component pass with it, the menu,
    // then the sounds of the tick's events.
    void updateTick();
    // One frame: the render pass and the menu's drawing (the caller presents the frame).
    void displayFrame();
    // Adopts a new window size: aspect, centre and the simulation's camera extents.
    void reshape(int width, int height);
    // The window took a new size (the toolkit's report): adopted at once unless a replay dictates the
    // size, and listed in the next local input record.
    void windowReshaped(int width, int height);
    void setButton(MouseButton button, bool down);
    void pointerMoved(int x, int y);

    SimulationManager* simulation;
    MenuManager* menu;
    std::unique_ptr<TextureManager> textures;
    // The images run() loads, handed in by the game.
    TextureTable images;
    // What the game asks of the window system, and what the render pass draws with. run() installs
    // the toolkit's; tests install scripted ones.
    WindowSystem* window = nullptr;
    Renderer* renderer = nullptr;
    // Where each tick's input comes from; null for this machine's keyboard and mouse (localInput).
    InputSource* input = nullptr;
    // If set, each update tick runs this instead of stepping the simulation with the next input record: a
    // networked match steps (and re-steps) its matches itself.
    std::function<void()> tickOverride;
    // If set, the ticks the last update ran, for the sound: a match stepped by tickOverride may run several
    // ticks in one update, some of them again, or none. Otherwise the sound plays the simulation's last step.
    std::function<std::vector<TickRun>()> takeTickRuns;
    // If set, run() asks it for the window system to put in front of the toolkit's (a replay), before
    // the game is built.
    std::function<WindowSystem*(WindowSystem& toolkitWindow)> wrapToolkitWindow;
    // Where run() finds the match's sounds; empty for none (no audio device is opened). Headless runs
    // never open one.
    std::string soundsDir;
    // The open sound, made by run(); closed as the process exits, which completes what it wrote.
    std::unique_ptr<MatchSound> sound;
    // False while a replay dictates the window size: the toolkit's reshapes then only set the viewport.
    bool followToolkitReshapes = true;

    float aspectRatio = 4.0f / 3.0f;
    int redrawPeriodMs = 16;
    int updatePeriodMs = 16;
    int windowX = 0;
    int windowY = 0;
    int windowWidth = 800;
    int windowHeight = 600;
    // Window centre in window pixels (origin top-left); the game warps the pointer here.
    int centreX = windowX + windowWidth / 2;
    int centreY = windowY + windowHeight / 2;
    // Last reported pointer position in window pixels; the centre until the pointer first moves.
    int mouseX = centreX;
    int mouseY = centreY;
    bool leftDown = false;
    bool rightDown = false;
    // Sizes the window took since the last local input record was made.
    std::vector<std::pair<int, int>> reshapesSinceTick;

    // This machine's keyboard and mouse as a tick's record: the window's keys, the pointer's offset
    // from the centre, the left button and the sizes the window took since the last record.
    class LocalInput : public InputSource {
    public:
        explicit LocalInput(Engine& engine) : engine(engine) {}
        TickInput next() override;

    private:
        Engine& engine;
    };
    LocalInput localInput{*this};
};

// The one Engine; every toolkit callback reaches it through here.
extern Engine* gEngine;
