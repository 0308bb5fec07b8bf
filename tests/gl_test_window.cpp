#include "gl_test_window.h"

#include <cstdlib>

#include <GL/freeglut.h>

// Present only in sanitizer builds.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace {

// The GL driver is unloaded at exit, before the sanitizer's own leak check, which then cannot tell
// the driver's lifetime allocations from ours. Checking earlier, while it is loaded, sees them as
// still reachable and keeps real leaks visible.
void checkLeaksWhileTheDriverIsLoaded()
{
    if (__lsan_do_leak_check != nullptr) __lsan_do_leak_check();
}

} // namespace

int openGlTestWindow(int width, int height)
{
    static bool initialised = false;
    if (!initialised) {
        int argc = 1;
        char name[] = "gl_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    }
    glutInitWindowSize(width, height);
    glutInitWindowPosition(0, 0);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    const int window = glutCreateWindow("gl_test");
    // Registered after the driver's own exit handlers, so it runs before them.
    if (!initialised) std::atexit(checkLeaksWhileTheDriverIsLoaded);
    initialised = true;
    // The toolkit refuses to process events for a window without a display callback.
    glutDisplayFunc([] {});
    processGlEvents();
    return window;
}

void closeGlTestWindow(int window)
{
    glutDestroyWindow(window);
    processGlEvents();
}

void processGlEvents()
{
    for (int i = 0; i < 20; ++i) glutMainLoopEvent();
}

// The toolkit's input-extension queries leak a little per window; that is theirs, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libXi.so\n"; }
