#include "support/xwindows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <thread>

XWindows::XWindows() {
    display = XOpenDisplay(nullptr);
}

XWindows::~XWindows() {
    if (display)
        XCloseDisplay(display);
}

unsigned long XWindows::find(unsigned long parent, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(display, parent, &name) && name) {
        bool match = title == name;
        XFree(name);
        if (match)
            return parent;
    }
    Window root, ignored;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &ignored, &children, &count))
        return 0;
    unsigned long found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = find(children[i], title);
    if (children)
        XFree(children);
    return found;
}

unsigned long XWindows::waitForWindow(const std::string& title, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        XSync(display, False);
        if (unsigned long w = find(DefaultRootWindow(display), title))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

bool XWindows::size(unsigned long window, int& width, int& height) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

void XWindows::requestClose(unsigned long window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void XWindows::resize(unsigned long window, int width, int height) {
    XResizeWindow(display, window, static_cast<unsigned int>(width),
                  static_cast<unsigned int>(height));
    XSync(display, False);
}

void XWindows::remap(unsigned long window) {
    hide(window);
    show(window);
}

void XWindows::hide(unsigned long window) {
    XUnmapWindow(display, window);
    XSync(display, False);
}

void XWindows::show(unsigned long window) {
    XMapWindow(display, window);
    XSync(display, False);
}

void XWindows::screenSize(int& width, int& height) {
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
}

void XWindows::churn(unsigned long window) {
    for (int i = 0; i < 20; ++i) {
        resize(window, 400 + 20 * i, 300 + 10 * i);
        if (i % 4 == 0)
            remap(window);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}
