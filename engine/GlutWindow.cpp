#include "GlutWindow.h"

#include <cstdlib>
#include <optional>

#include <GL/freeglut.h>

namespace {

// Only one window exists; the toolkit's callbacks carry no user pointer.
GlutWindow* activeWindow = nullptr;

std::optional<Key> keyFromSpecial(int special)
{
    switch (special) {
    case GLUT_KEY_LEFT: return Key::Left;
    case GLUT_KEY_UP: return Key::Up;
    case GLUT_KEY_RIGHT: return Key::Right;
    case GLUT_KEY_DOWN: return Key::Down;
    default: return std::nullopt;
    }
}

void setHeld(std::optional<Key> key, bool held)
{
    if (!key) return;
    if (held)
        activeWindow->keys.press(*key);
    else
        activeWindow->keys.release(*key);
}

void onKeyDown(unsigned char character, int, int) { setHeld(keyFromCharacter(character), true); }
void onKeyUp(unsigned char character, int, int) { setHeld(keyFromCharacter(character), false); }
void onSpecialDown(int special, int, int) { setHeld(keyFromSpecial(special), true); }
void onSpecialUp(int special, int, int) { setHeld(keyFromSpecial(special), false); }

// The toolkit reports no focus loss, and a key released elsewhere never reports its release.
// Leaving or hiding the window is the nearest signal, so every key counts as released then.
void onEntry(int state)
{
    if (state == GLUT_LEFT) activeWindow->keys.releaseAll();
}
void onWindowStatus(int state)
{
    if (state == GLUT_HIDDEN || state == GLUT_FULLY_COVERED) activeWindow->keys.releaseAll();
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
    glutEntryFunc(onEntry);
    glutWindowStatusFunc(onWindowStatus);
}

void GlutWindow::warpPointer(int x, int y) { glutWarpPointer(x, y); }
void GlutWindow::fullScreen() { glutFullScreen(); }
void GlutWindow::reshapeWindow(int width, int height) { glutReshapeWindow(width, height); }
void GlutWindow::positionWindow(int x, int y) { glutPositionWindow(x, y); }
void GlutWindow::quit(int status) { std::exit(status); }
