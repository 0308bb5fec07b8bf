#include "GlutWindow.h"

#include <optional>

#include <GL/freeglut.h>

#include "Engine.h"

// keyFromSpecial is written against these codes so that it can be tested without the toolkit.
static_assert(GLUT_KEY_LEFT == 100 && GLUT_KEY_UP == 101 && GLUT_KEY_RIGHT == 102 && GLUT_KEY_DOWN == 103);

namespace {

// Only one window exists; the toolkit's callbacks carry no user pointer.
GlutWindow* activeWindow = nullptr;

void setHeld(std::optional<Key> key, bool held)
{
    if (!key) return;
    if (held)
        activeWindow->keys.press(*key);
    else
        activeWindow->keys.release(*key);
}

void onKeyDown(unsigned char character, int, int)
{
    setHeld(keyFromCharacter(character), true);
    KeyPress press;
    if (character == '\r' || character == '\n')
        press.named = KeyPress::Named::Enter;
    else if (character == 27)
        press.named = KeyPress::Named::Escape;
    else if (character == '\b' || character == 127)
        press.named = KeyPress::Named::Backspace;
    else if (character >= ' ' && character <= '~')
        press.character = static_cast<char>(character);
    else
        return;
    // Menus read presses rather than held keys: what was typed, and the keys that type nothing.
    activeWindow->keyPressed(press);
}
void onKeyUp(unsigned char character, int, int) { setHeld(keyFromCharacter(character), false); }
void onSpecialDown(int special, int, int)
{
    setHeld(keyFromSpecial(special), true);
    using Named = KeyPress::Named;
    const Named named = special == GLUT_KEY_UP      ? Named::Up
                        : special == GLUT_KEY_DOWN  ? Named::Down
                        : special == GLUT_KEY_LEFT  ? Named::Left
                        : special == GLUT_KEY_RIGHT ? Named::Right
                        : special == GLUT_KEY_HOME  ? Named::Home
                                                    : Named::None;
    if (named != Named::None) activeWindow->keyPressed({named, 0, false});
}
void onSpecialUp(int special, int, int) { setHeld(keyFromSpecial(special), false); }

// The desktop's close button ends the program with status 0, as the toolkit would on its own, but through
// the engine, so that the session can tell whoever waits on it.
void onWindowClosed()
{
    if (activeWindow != nullptr) activeWindow->closed();
}

} // namespace

void GlutWindow::registerCallbacks()
{
    activeWindow = this;
    glutIgnoreKeyRepeat(1);
    glutKeyboardFunc(onKeyDown);
    glutKeyboardUpFunc(onKeyUp);
    glutSpecialFunc(onSpecialDown);
    glutSpecialUpFunc(onSpecialUp);
    glutCloseFunc(onWindowClosed);
    keyboard = std::make_unique<X11Keyboard>();
}

void GlutWindow::beginTick()
{
    if (keyboard == nullptr || !keyboard->read()) return;
    keys.releaseUnless([this](Key key) { return keyboard->isDown(key); });
}

void GlutWindow::warpPointer(int x, int y) { glutWarpPointer(x, y); }
void GlutWindow::centrePointer() { glutWarpPointer(engine.centreX, engine.centreY); }
void GlutWindow::showPointer(bool shown) { glutSetCursor(shown ? GLUT_CURSOR_LEFT_ARROW : GLUT_CURSOR_NONE); }
void GlutWindow::fullScreen() { glutFullScreen(); }
void GlutWindow::reshapeWindow(int width, int height) { glutReshapeWindow(width, height); }
void GlutWindow::positionWindow(int x, int y) { glutPositionWindow(x, y); }
void GlutWindow::quit(int status) { engine.finish(status); }

void GlutWindow::closed() { engine.windowClosed(); }

GlutWindow::~GlutWindow()
{
    if (activeWindow == this) activeWindow = nullptr;
}

void GlutWindow::keyPressed(KeyPress press)
{
    press.shift = (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0;
    engine.menu->keyPressed(press);
}
