#pragma once

#include <functional>
#include <memory>

#include "Camera.h"

class MenuManager;
class Renderer;
class SimulationManager;
class TextureManager;
class WindowSystem;

// Mouse buttons the engine keeps track of; others are ignored.
enum class MouseButton { Left, Right, Other };

// The application: window, frame loop and the state the game reads (textures, camera, pointer, buttons).
// One instance, reached through gEngine.
class Engine {
public:
    // Creates the texture registry and the camera, prints "here you are" and becomes gEngine.
    Engine(SimulationManager* simulation, MenuManager* menu);
    // The program never destroys its engine; tests do, and gEngine must not outlive it.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Opens the window, sets up OpenGL, loads the textures, builds the game and runs the toolkit's loop.
    void run(int argc, char** argv);
    // Builds the game and runs ticks back to back with no window, toolkit or OpenGL (textures stay
    // absent). window must be set, and is what ends the process.
    [[noreturn]] void runHeadless();

    // One fixed step: the game's update, the component pass with its removals, the menu.
    void updateTick();
    // One frame: the render pass and the menu's drawing (the caller presents the frame).
    void displayFrame();
    // Adopts a new window size: aspect, centre and the camera extents.
    void reshape(int width, int height);
    void setButton(MouseButton button, bool down);
    void pointerMoved(int x, int y);

    SimulationManager* simulation;
    MenuManager* menu;
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<Camera> camera;
    // What the game asks of the window system, and what the render pass draws with. run() installs
    // the toolkit's; tests install scripted ones.
    WindowSystem* window = nullptr;
    Renderer* renderer = nullptr;
    // If set, run() asks it for the window system to put in front of the toolkit's (a recorder, a
    // replay), before the game is built.
    std::function<WindowSystem*(WindowSystem& toolkitWindow)> wrapToolkitWindow;
    // False while a replay dictates the window size: the toolkit's reshapes then only set the viewport.
    bool followToolkitReshapes = true;
    // Told of every reshape, after it took effect, with the size adopted.
    std::function<void(int width, int height)> reshapeListener;

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
};

// The one Engine; every toolkit callback reaches it through here.
extern Engine* gEngine;
