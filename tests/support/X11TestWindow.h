#pragma once

// Include after every Qt header: Xlib defines Bool, Status, None, ... as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// A plain mapped top-level window with the given WM_CLASS parts that records its key presses.
inline Window makeX11TestWindow(Display *display, const char *instance, const char *windowClass)
{
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>(instance), const_cast<char *>(windowClass)};
    XSetClassHint(display, window, &hint);
    XSelectInput(display, window, KeyPressMask);
    XMapWindow(display, window);
    return window;
}
