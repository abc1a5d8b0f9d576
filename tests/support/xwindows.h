#pragma once

#include <string>

// Looks at the top-level windows of the X display the tests run on, as a player's desktop would.
class XWindows {
public:
    XWindows(); // opens $DISPLAY
    ~XWindows();
    XWindows(const XWindows&) = delete;
    XWindows& operator=(const XWindows&) = delete;

    bool connected() const { return display != nullptr; }

    // Waits up to `seconds` for a window titled `title`; 0 when none appears.
    unsigned long waitForWindow(const std::string& title, double seconds);
    bool size(unsigned long window, int& width, int& height);
    // The size of the default screen, pixels.
    void screenSize(int& width, int& height);
    // Resizes the window as a window manager would, and waits until the server has done it.
    void resize(unsigned long window, int width, int height);
    // Hides and shows the window again (as minimising and restoring it does).
    void remap(unsigned long window);
    // Hides the window (as minimising it does) until show().
    void hide(unsigned long window);
    void show(unsigned long window);
    // Twenty resizes a user might make, every fourth with a hide and show, then time for the
    // last exposures to be drawn.
    void churn(unsigned long window);
    // Asks the window to close, as a window manager's close button does.
    void requestClose(unsigned long window);

private:
    unsigned long find(unsigned long parent, const std::string& title);

    struct _XDisplay* display = nullptr;
};
