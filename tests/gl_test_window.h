#pragma once

// A real OpenGL context for tests that run under a (virtual) X display.

// Opens a double-buffered RGBA window with a depth buffer and makes its context current; every call
// opens a new window, so a test that needs fresh texture names gets a context of its own.
// Returns the toolkit's window id.
int openGlTestWindow(int width, int height);

// Closes a window opened by openGlTestWindow.
void closeGlTestWindow(int window);

// Lets the toolkit handle pending window-system events (map, resize) for a moment.
void processGlEvents();
