#include "platform/platform.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <chrono>

namespace {

// Before glutInit there is no window, no loop and no input: GLUT itself would end the process
// on any of these calls, so they answer as an idle program would.
bool glutReady() {
    return glutGet(GLUT_INIT_STATE) != 0;
}

// Once the window is closed it stops being current, but the timers due in the same turn of
// the loop still fire; GLUT would end the process with status 1 on a window call then.
bool windowOpen() {
    return glutReady() && glutGetWindow() != 0;
}

int glutModifiers() {
    return glutReady() ? glutGetModifiers() : 0;
}

void postGlutRedisplay() {
    if (windowOpen())
        glutPostRedisplay();
}

void armGlutTimer(unsigned int milliseconds, Platform::TimerCallback callback, int value) {
    if (glutReady())
        glutTimerFunc(milliseconds, callback, value);
}

void attachGlutMenu(int menu, int button) {
    if (!windowOpen())
        return;
    glutSetMenu(menu);
    glutAttachMenu(button);
}

void detachGlutMenu(int button) {
    if (windowOpen())
        glutDetachMenu(button);
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void swapGlutBuffers() {
    if (windowOpen())
        glutSwapBuffers();
}

void leaveGlutMainLoop() {
    if (glutReady())
        glutLeaveMainLoop();
}

void toggleGlutFullScreen() {
    if (windowOpen())
        glutFullScreenToggle();
}

// The window's relatives up to the root: a window manager may give the focus to the frame it
// puts round our window.
bool isAncestorOrSelf(Display* display, Window ancestor, Window window) {
    // window = the next one up the tree from the starting window
    while (window != 0) {
        if (window == ancestor)
            return true;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return parent == ancestor;
        window = parent;
    }
    return false;
}

bool xKeyboardFocus() {
    Display* display = glXGetCurrentDisplay();
    Window ours = glXGetCurrentDrawable();
    if (!windowOpen() || !display || !ours)
        return true;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // None and PointerRoot send keys wherever the pointer is: no telling, so no loss.
    if (focus == None || focus == PointerRoot)
        return true;
    return isAncestorOrSelf(display, focus, ours) || isAncestorOrSelf(display, ours, focus);
}

} // namespace

Platform glutPlatform() {
    return Platform{glutModifiers,        postGlutRedisplay, armGlutTimer,    attachGlutMenu,
                    detachGlutMenu,       steadySeconds,     swapGlutBuffers, leaveGlutMainLoop,
                    toggleGlutFullScreen, xKeyboardFocus};
}

Platform& platform() {
    static Platform current = glutPlatform();
    return current;
}
