// An X client that takes the keyboard focus and writes one line per key press to stdout (the
// modifier keys themselves left out: their state is on the key they go with), for the phone
// pad's end-to-end test and its benchmark:
//
//   ready <window id>
//   key <keysym name> <modifier state> <CLOCK_MONOTONIC nanoseconds when the event was read>
//
// The clock is the one Node's process.hrtime() reads, so a driver can subtract its own
// timestamps from these. Lines go out unbuffered; the program ends when stdin closes or the
// display goes away.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void waitForMap(Display *display, Window window)
{
    XEvent event;
    do
        XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
}

// The window manager may hand the focus around while the window appears: ask until it is ours.
bool takeFocus(Display *display, Window window)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        Window focused = None;
        int revert = 0;
        XGetInputFocus(display, &focused, &revert);
        if (focused == window)
            return true;
        usleep(10000);
    }
    return false;
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("key_recorder: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 200, 100, 0,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "key recorder");
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapRaised(display, window);
    waitForMap(display, window);
    if (!takeFocus(display, window)) {
        std::fputs("key_recorder: the window does not get the keyboard focus\n", stderr);
        return 1;
    }
    std::printf("ready 0x%lx\n", window);

    std::array<pollfd, 2> fds{pollfd{ConnectionNumber(display), POLLIN, 0},
                              pollfd{STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress)
                continue;
            const long long at = monotonicNs();
            const KeySym sym = XLookupKeysym(&event.xkey, 0);
            if (IsModifierKey(sym))
                continue;
            const char *name = XKeysymToString(sym);
            std::printf("key %s %u %lld\n", name != nullptr ? name : "NoSymbol", event.xkey.state,
                        at);
        }
        if (poll(fds.data(), fds.size(), -1) < 0)
            break;
        if ((fds[0].revents & (POLLERR | POLLHUP)) != 0)
            break;
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            std::array<char, 256> buffer{};
            if (read(STDIN_FILENO, buffer.data(), buffer.size()) <= 0)
                break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
