#include "screens/shell.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <string>

#include "math/text.h"
#include "platform/platform.h"
#include "platform/screenshot.h"
#include "platform/stopsignals.h"

Screen* currentScreen = nullptr;
KeyboardState keys;
MouseState mouse;
std::string screenshotFolder;

namespace {

FrameObserver* observer = nullptr; // not owned
bool screenshotRequested = false;  // F12 was pressed: save the next picture drawn

void saveRequestedScreenshot() {
    screenshotRequested = false;
    std::string path, error = "there is no folder for pictures (neither HOME nor XDG_DATA_HOME "
                              "is set)";
    if (!screenshotFolder.empty() &&
        saveTimestampedScreenshot(screenshotFolder, windowWidth, windowHeight, path, error))
        printf("Screenshot saved: %s\n", printable(path).c_str());
    else
        printf("Cannot save a screenshot: %s\n", printable(error).c_str());
    fflush(stdout);
}

// The shell's own keys, on every screen. True when `key` was one of them.
bool shellKey(int key) {
    if (key == GLUT_KEY_F11) {
        fullscreen = !fullscreen;
        platform().toggleFullScreen();
        return true;
    }
    if (key == GLUT_KEY_F12) {
        screenshotRequested = true;
        platform().postRedisplay(); // screens that redraw on input only draw it now
        return true;
    }
    return false;
}

// A key as it reaches the screens, with the modifiers held at the time: the window's own
// callbacks ask GLUT for them, scripted keys bring their own (outside an input callback GLUT
// has no modifier state to report, and complains when asked).
void keyboardEvent(unsigned char key, bool down, int x, int y, int modifiers) {
    mouse.setPosition(x, y);
    keys.setKey(key, down, modifiers);
    if (down)
        currentScreen->keyboard(key, x, y);
    else
        currentScreen->keyboardUp(key, x, y);
}

// Special keys leave the character keys' state alone.
void specialEvent(int key, bool down, int x, int y) {
    mouse.setPosition(x, y);
    if (down && !shellKey(key))
        currentScreen->special(key, x, y);
    else if (!down && key != GLUT_KEY_F11 && key != GLUT_KEY_F12)
        currentScreen->specialUp(key, x, y);
}

} // namespace

void setFrameObserver(FrameObserver* next) {
    observer = next;
}

FrameObserver* frameObserver() {
    return observer;
}

void switchScreen(Screen* next) {
    if (currentScreen != nullptr)
        currentScreen->deactivate();
    next->activate();
    currentScreen = next;
    platform().postRedisplay();
}

void onDisplay() {
    currentScreen->display();
    if (observer)
        observer->afterDisplay();
}

void onReshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    currentScreen->reshape(width, height);
}

void onKeyboard(unsigned char key, int x, int y) {
    keyboardEvent(key, true, x, y, platform().getModifiers());
}

void onKeyboardUp(unsigned char key, int x, int y) {
    keyboardEvent(key, false, x, y, platform().getModifiers());
}

void onSpecial(int key, int x, int y) {
    specialEvent(key, true, x, y);
}

void onSpecialUp(int key, int x, int y) {
    specialEvent(key, false, x, y);
}

void onMouse(int button, int state, int x, int y) {
    mouse.setButton(button, state);
    mouse.setPosition(x, y);
    currentScreen->mouse(button, state, x, y);
}

void onMotion(int x, int y) {
    mouse.setPosition(x, y);
    currentScreen->motion(x, y);
}

void injectKeyboard(unsigned char key, bool down, int modifiers) {
    keyboardEvent(key, down, mouse.x, mouse.y, modifiers);
}

void injectSpecial(int key, bool down) {
    specialEvent(key, down, mouse.x, mouse.y);
}

namespace {

// Checked once a frame: the window system tells no program when its window loses the
// keyboard, only where the keyboard is.
void checkKeyboardFocus() {
    static bool focused = true;
    bool now = platform().hasKeyboardFocus == nullptr || platform().hasKeyboardFocus();
    if (focused && !now) {
        keys.releaseAll();
        if (currentScreen)
            currentScreen->keyboardFocusLost();
    }
    focused = now;
}

} // namespace

void beginFrame() {
    checkKeyboardFocus();
    if (observer)
        observer->beginFrame();
}

void presentFrame() {
    if (observer)
        observer->beforeSwap();
    if (screenshotRequested)
        saveRequestedScreenshot();
    platform().swapBuffers();
}

namespace {

// Often enough that an ended run feels immediate, rarely enough to cost nothing.
constexpr unsigned int STOP_POLL_MILLISECONDS = 50;

void pollStopSignals(int) {
    if (stopSignalled())
        quitProgram();
    else
        glutTimerFunc(STOP_POLL_MILLISECONDS, pollStopSignals, 0);
}

} // namespace

int runShell(Screen* first) {
    glutDisplayFunc(onDisplay);
    glutKeyboardFunc(onKeyboard);
    glutKeyboardUpFunc(onKeyboardUp);
    glutReshapeFunc(onReshape);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutSpecialFunc(onSpecial);
    // Key releases of the arrows and other special keys, for players on the keyboard.
    glutSpecialUpFunc(onSpecialUp);
    switchScreen(first);
    watchStopSignals();
    glutTimerFunc(STOP_POLL_MILLISECONDS, pollStopSignals, 0);
    glutMainLoop();
    return 0;
}

void quitProgram() {
    platform().leaveMainLoop();
}
