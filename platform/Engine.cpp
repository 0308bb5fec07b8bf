#include "Engine.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <GL/freeglut.h>

#include "GlRenderer.h"
#include "GlutWindow.h"
#include "LeakCheck.h"
#include "MatchSound.h"
#include "MenuManager.h"
#include "SimulationManager.h"
#include "TextureManager.h"

Engine* gEngine = nullptr;

namespace {

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
    gEngine->displayFrame();
    glFlush();
    glutSwapBuffers();
}

void onReshape(int width, int height)
{
    glutPostRedisplay();
    gEngine->windowReshaped(width, height);
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

void onMouse(int button, int state, int, int) { gEngine->setButton(buttonFromToolkit(button), state == GLUT_DOWN); }

void onMotion(int x, int y) { gEngine->pointerMoved(x, y); }

void onRedrawTimer(int)
{
    glutPostRedisplay();
    glutTimerFunc(static_cast<unsigned>(gEngine->redrawPeriodMs), onRedrawTimer, 0);
}

// Re-armed after the tick's work, so a slow tick delays the next instead of piling ticks up.
void onUpdateTimer(int)
{
    gEngine->updateTick();
    glutTimerFunc(static_cast<unsigned>(gEngine->updatePeriodMs), onUpdateTimer, 0);
}

} // namespace

Engine::Engine(SimulationManager* simulation, MenuManager* menu)
    : simulation(simulation), menu(menu), textures(std::make_unique<TextureManager>())
{
    std::cout << "here you are" << std::endl;
    gEngine = this;
}

Engine::~Engine()
{
    if (gEngine == this) gEngine = nullptr;
}

void Engine::run(int argc, char** argv)
{
    if (!displayAvailable(argc, argv)) {
        std::cerr << "Skirmora needs a graphical display, and none is set (DISPLAY is empty).\n"
                     "Run it on a desktop, or under a virtual one:\n"
                     "  xvfb-run -a -s \"-screen 0 1024x768x24\" ./skirmora"
                  << std::endl;
        std::exit(EXIT_FAILURE);
    }

    glutInit(&argc, argv);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(windowX, windowY);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Skirmora");
    checkLeaksBeforeTheDriverUnloads();
    std::cout << "after this" << std::endl;
    if (!soundsDir.empty()) {
        sound = std::make_unique<MatchSound>(soundsDir, std::cerr, soundLogFromEnvironment());
        // Registered after the leak check, so it runs first: the device closes, and its thread ends,
        // before anything looks for leaks.
        std::atexit([] {
            if (gEngine != nullptr) gEngine->sound.reset();
        });
    }
    glutSetCursor(GLUT_CURSOR_NONE);

    static GlutWindow glutWindow(*this);
    static GlRenderer glRenderer;
    window = wrapToolkitWindow ? wrapToolkitWindow(glutWindow) : &glutWindow;
    renderer = &glRenderer;

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutWindow.registerCallbacks();
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
    glutTimerFunc(static_cast<unsigned>(gEngine->redrawPeriodMs), onRedrawTimer, 0);
    glutTimerFunc(static_cast<unsigned>(gEngine->updatePeriodMs), onUpdateTimer, 0);

    initGl();
    textures->loadAllTextures(images);
    simulation->textureNames = textures->byName;
    simulation->window = window;
    simulation->init();
    glutMainLoop();
}

void Engine::runHeadless()
{
    assert(input != nullptr && "the input source decides when the run is over");
    simulation->window = window;
    simulation->init();
    for (;;) updateTick();
}

void Engine::updateTick()
{
    if (tickOverride) {
        tickOverride();
    } else {
        const TickInput record = (input != nullptr ? *input : localInput).next();
        simulation->step(record);
    }
    menu->update();
    if (sound && takeTickRuns)
        sound->afterRuns(takeTickRuns(), simulation->camera);
    else if (sound)
        sound->afterTick(simulation->events, simulation->camera);
    // What the tick printed reaches the console together, in one write.
    std::cout.flush();
}

void Engine::displayFrame()
{
    simulation->renderAll(*renderer);
    menu->render();
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
    // One extent is kept and the other derived from it, so repeated reshapes let the view drift.
    Camera& view = simulation->camera;
    if (aspectRatio > 1.0f)
        view.viewHeight = view.viewWidth / aspectRatio;
    else
        view.viewWidth = view.viewHeight * aspectRatio;
    // Extreme sizes in turn shrink the view every time; keep it from vanishing, so that the game's
    // zoom, which eases by a fraction of the view, can bring the usual framing back.
    constexpr float kMinViewExtent = 0.001f; // world units
    if (!(view.viewWidth >= kMinViewExtent && view.viewHeight >= kMinViewExtent)) {
        if (aspectRatio > 1.0f) {
            view.viewHeight = kMinViewExtent;
            view.viewWidth = kMinViewExtent * aspectRatio;
        } else {
            view.viewWidth = kMinViewExtent;
            view.viewHeight = kMinViewExtent / aspectRatio;
        }
    }
    view.aspect = aspectRatio;
}

void Engine::windowReshaped(int width, int height)
{
    if (!followToolkitReshapes) return;
    reshape(width, height);
    reshapesSinceTick.emplace_back(windowWidth, windowHeight);
}

TickInput Engine::LocalInput::next()
{
    TickInput record;
    WindowSystem* window = engine.window;
    if (window != nullptr) {
        window->beginTick();
        for (std::size_t key = 0; key < kKeyCount; ++key)
            setKeyHeld(record, static_cast<Key>(key), window->isKeyHeld(static_cast<Key>(key)));
    }
    record.match.player2.pointerX = engine.mouseX - engine.centreX;
    record.match.player2.pointerY = engine.mouseY - engine.centreY;
    record.match.player2.leftDown = engine.leftDown;
    record.window.reshapes.swap(engine.reshapesSinceTick);
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
