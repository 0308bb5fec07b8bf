#include "Engine.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include <GL/freeglut.h>

#include "GlRenderer.h"
#include "GlutWindow.h"
#include "LeakCheck.h"
#include "MatchSound.h"
#include "MenuManager.h"
#include "QuitSignal.h"
#include "SimulationManager.h"
#include "TextureManager.h"
#include "WindowSystem.h"

namespace {

// The engine whose window the toolkit's callbacks, which carry no user pointer, reach.
Engine* toolkitEngine = nullptr;

// Without an X display the toolkit would only fail with its own terse error; say what to do instead.
bool displayAvailable(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-display") == 0) return true;
    }
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

void onDisplay()
{
    toolkitEngine->displayFrame();
    glFlush();
    glutSwapBuffers();
}

void onReshape(int width, int height)
{
    glutPostRedisplay();
    toolkitEngine->windowReshaped(width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, std::max(width, 1), std::max(height, 1));
}

MouseButton buttonFromToolkit(int button)
{
    if (button == GLUT_LEFT_BUTTON) return MouseButton::Left;
    if (button == GLUT_RIGHT_BUTTON) return MouseButton::Right;
    return MouseButton::Other;
}

void onMouse(int button, int state, int x, int y)
{
    toolkitEngine->setButton(buttonFromToolkit(button), state == GLUT_DOWN);
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) toolkitEngine->menu->leftPressed(x, y);
}

void onMotion(int x, int y)
{
    toolkitEngine->pointerMoved(x, y);
    toolkitEngine->menu->pointerMoved(x, y);
}

// Neither timer acts once the loop is being left: the window may already be gone.
void onRedrawTimer(int)
{
    if (toolkitEngine->exitStatus()) return;
    glutPostRedisplay();
    glutTimerFunc(static_cast<unsigned>(toolkitEngine->redrawPeriodMs), onRedrawTimer, 0);
}

// Re-armed after the tick's work, so a slow tick delays the next instead of piling ticks up.
void onUpdateTimer(int)
{
    if (toolkitEngine->exitStatus()) return;
    toolkitEngine->updateTick();
    glutTimerFunc(static_cast<unsigned>(toolkitEngine->updatePeriodMs), onUpdateTimer, 0);
}

} // namespace

Engine::Engine(MenuManager& menu) : menu(&menu), textures(std::make_unique<TextureManager>())
{
    std::cout << "here you are" << std::endl;
}

Engine::~Engine()
{
    if (toolkitEngine == this) toolkitEngine = nullptr;
}

void Engine::setSession(std::unique_ptr<Session> next) { pending = std::move(next); }

void Engine::beginSession()
{
    if (!pending) return;
    if (current) current->leave();
    // The one before goes first, so that two matches never hold the console or the window at once.
    current.reset();
    current = std::move(pending);
    status.reset();
    if (sound) sound->restart();
    current->begin(stage());
}

SessionStage Engine::stage() const { return {window, textures->byName}; }

std::optional<int> Engine::run(int argc, char** argv)
{
    if (!displayAvailable(argc, argv)) {
        std::cerr << "Skirmora needs a graphical display, and none is set (DISPLAY is empty).\n"
                     "Run it on a desktop, or under a virtual one:\n"
                     "  xvfb-run -a -s \"-screen 0 1024x768x24\" ./skirmora"
                  << std::endl;
        return EXIT_FAILURE;
    }

    watchQuitSignals();
    glutInit(&argc, argv);
    // Leaving the loop, or the window's closing, returns from it rather than ending the process, so that the
    // status goes back to the caller and everything is destroyed in order.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(windowX, windowY);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Skirmora");
    checkLeaksBeforeTheDriverUnloads();
    std::cout << "after this" << std::endl;
    if (!soundsDir.empty()) sound = std::make_unique<MatchSound>(soundsDir, std::cerr, soundLogFromEnvironment());
    glutSetCursor(GLUT_CURSOR_NONE);
    pointerShown = false;

    toolkitEngine = this;
    toolkitWindow = std::make_unique<GlutWindow>(*this);
    glRenderer = std::make_unique<GlRenderer>();
    menu->drawWith(glRenderer.get(), windowWidth, windowHeight);
    window = toolkitWindow.get();
    renderer = glRenderer.get();

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    toolkitWindow->registerCallbacks();
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
    glutTimerFunc(static_cast<unsigned>(redrawPeriodMs), onRedrawTimer, 0);
    glutTimerFunc(static_cast<unsigned>(updatePeriodMs), onUpdateTimer, 0);

    initGl();
    textures->loadAllTextures(images);
    beginSession();
    inToolkitLoop = true;
    glutMainLoop();
    inToolkitLoop = false;
    // The toolkit has taken the window down; nothing may ask anything of it any more.
    window = nullptr;
    renderer = nullptr;
    menu->drawWith(nullptr, windowWidth, windowHeight);
    toolkitWindow.reset();
    glRenderer.reset();
    toolkitEngine = nullptr;
    return status;
}

int Engine::runHeadless()
{
    watchQuitSignals();
    beginSession();
    assert(current && "a session decides when the run is over");
    const auto period = std::chrono::milliseconds(updatePeriodMs);
    auto next = std::chrono::steady_clock::now();
    while (!status) {
        updateTick();
        if (status || !current->paced()) continue;
        // A late frame shifts the beat rather than bunching the next ones up.
        next = std::max(next + period, std::chrono::steady_clock::now() - period);
        std::this_thread::sleep_until(next);
    }
    return *status;
}

void Engine::updateTick()
{
    beginSession();
    if (!current || status) return;
    current->frame(readDevices());
    if (const auto over = current->finished()) {
        finish(*over);
    } else {
        menu->update();
        if (window != nullptr && menu->wantsPointer() != pointerShown) {
            pointerShown = !pointerShown;
            window->showPointer(pointerShown);
        }
        SimulationManager* shown = current->shownMatch();
        if (sound && shown != nullptr) sound->play(current->takeTickRuns(), shown->camera);
        const std::vector<MenuCue> cues = menu->takeCues();
        if (sound) {
            sound->setVolume(menu->volume());
            for (const MenuCue cue : cues)
                sound->playCue(cue == MenuCue::Move ? SoundCue::MenuMove : SoundCue::MenuChoose);
        }
    }
    // What the tick printed reaches the console together, in one write.
    std::cout.flush();
}

void Engine::displayFrame()
{
    if (SimulationManager* shown = current ? current->shownMatch() : nullptr) shown->renderAll(*renderer);
    menu->render();
}

void Engine::finish(int exitStatus)
{
    if (status) return;
    status = exitStatus;
    if (inToolkitLoop) glutLeaveMainLoop();
}

void Engine::windowClosed()
{
    // The toolkit also reports the window it takes down as the loop is left.
    if (status) return;
    if (current) current->leave();
    finish(EXIT_SUCCESS);
}

void Engine::reshape(int width, int height)
{
    // A window collapsed to nothing counts as one pixel, so the aspect is never 0 or infinite.
    if (height < 1) height = 1;
    if (width < 1) width = 1;
    aspectRatio = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
    centreX = width / 2;
    centreY = height / 2;
    windowWidth = width;
    windowHeight = height;
    menu->drawWith(renderer, width, height);
}

void Engine::windowReshaped(int width, int height)
{
    reshape(width, height);
    reshapesSinceTick.emplace_back(windowWidth, windowHeight);
}

TickInput Engine::readDevices()
{
    TickInput record;
    if (window != nullptr) {
        window->beginTick();
        for (std::size_t key = 0; key < kKeyCount; ++key)
            setKeyHeld(record, static_cast<Key>(key), window->isKeyHeld(static_cast<Key>(key)));
    }
    record.match.player2.pointerX = mouseX - centreX;
    record.match.player2.pointerY = mouseY - centreY;
    record.match.player2.leftDown = leftDown;
    record.window.reshapes.swap(reshapesSinceTick);
    if (quitSignalled()) record.window.quit = true;
    return record;
}

void Engine::setButton(MouseButton button, bool down)
{
    if (button == MouseButton::Left) leftDown = down;
    if (button == MouseButton::Right) rightDown = down;
}

void Engine::pointerMoved(int x, int y)
{
    mouseX = x;
    mouseY = y;
}
