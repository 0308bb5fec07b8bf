#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MatchInput.h"
#include "Session.h"
#include "TextureFile.h"

class GlRenderer;
class GlutWindow;
class MatchSound;
class MenuManager;
class Renderer;
class TextureManager;
class WindowSystem;

// Mouse buttons the engine keeps track of; others are ignored.
enum class MouseButton { Left, Right, Other };

// The application: window, frame loop, textures, sound, and this machine's devices. It runs one session at a
// time, which may be swapped for another between frames: each update period hands the session the devices'
// record, and each frame draws the session's shown match.
class Engine {
public:
    // Creates the texture registry and prints "here you are".
    explicit Engine(MenuManager& menu);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The session to run from the next frame on, in place of the current one, which is then left and ended.
    void setSession(std::unique_ptr<Session> next);
    // The session being run, or the one handed in if none runs yet; null before any.
    Session* session() const { return pending ? pending.get() : current.get(); }
    // Begins the session handed in last, if any, after leaving the current one. The loops call it before
    // each frame; tests call it to build the match before the first tick.
    void beginSession();

    // Opens the window, sets up OpenGL, opens the sound (if soundsDir is set), loads the textures, begins
    // the session and runs the toolkit's loop until the session is over or the window is closed: the exit
    // status then. Nothing if the toolkit's loop ended on its own.
    std::optional<int> run(int argc, char** argv);
    // Runs the session with no toolkit or OpenGL (textures stay absent) until it is over, as fast as it goes
    // or at the update period's pace if it asks for it; returns its exit status. window may be null.
    int runHeadless();

    // One update period: the devices' record to the session, the menu, then the sounds of the ticks run.
    void updateTick();
    // One frame: the render pass of the shown match and the menu's drawing (the caller presents the frame).
    void displayFrame();
    // Adopts a new window size: aspect and centre. The matches' views follow with the next tick.
    void reshape(int width, int height);
    // The window took a new size (the toolkit's report): adopted at once, and listed in the next devices'
    // record.
    void windowReshaped(int width, int height);
    // The desktop closed the window: the session leaves, and the loop ends with status 0.
    void windowClosed();
    // Ends the loop after this update period with status, unless it already ends.
    void finish(int status);
    // The status the loop ends with, once it is known.
    std::optional<int> exitStatus() const { return status; }
    void setButton(MouseButton button, bool down);
    void pointerMoved(int x, int y);
    // This machine's keyboard and mouse as a tick's record: the window's keys, the pointer's offset from the
    // centre, the left button and the sizes the window took since the last record.
    TickInput readDevices();

    MenuManager* menu;
    std::unique_ptr<TextureManager> textures;
    // The images run() loads, handed in by the game.
    TextureTable images;
    // What the matches ask of the window, and what the render pass draws with. run() installs the toolkit's;
    // tests install scripted ones.
    WindowSystem* window = nullptr;
    Renderer* renderer = nullptr;
    // Where run() finds the match's sounds; empty for none (no audio device is opened). Headless runs
    // never open one.
    std::string soundsDir;

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
    // Whether the window shows the pointer: hidden from the start, then as the menus want it.
    bool pointerShown = false;

private:
    SessionStage stage() const;

    std::unique_ptr<Session> current;
    std::unique_ptr<Session> pending;
    std::optional<int> status;
    // Sizes the window took since the last devices' record was made.
    std::vector<std::pair<int, int>> reshapesSinceTick;
    // The open sound, made by run().
    std::unique_ptr<MatchSound> sound;
    // The toolkit's window and renderer while run() runs.
    std::unique_ptr<GlutWindow> toolkitWindow;
    std::unique_ptr<GlRenderer> glRenderer;
    bool inToolkitLoop = false;
};
