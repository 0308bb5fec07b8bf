// Asks a window to close as a desktop's close button does: the WM_DELETE_WINDOW message, which
// xdotool cannot send. Usage: close_window <window id>
#include <X11/Xlib.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr) return 2;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = std::strtoul(argv[1], nullptr, 0);
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, message.xclient.window, False, NoEventMask, &message);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
