#include "app/shell.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <string>

#include "app/platform.h"
#include "app/screenshot.h"

Screen* currentScreen = nullptr;
int windowWidth = 0;
int windowHeight = 0;
KeyboardState keys;
MouseState mouse;
bool fullscreen = false;
FrameObserver* frameObserver = nullptr;

namespace {

bool screenshotRequested = false; // F12 was pressed: save the next picture drawn

void saveRequestedScreenshot() {
    screenshotRequested = false;
    std::string path, error;
    if (saveTimestampedScreenshot(SCREENSHOT_FOLDER, windowWidth, windowHeight, path, error))
        printf("Screenshot saved: %s\n", path.c_str());
    else
        printf("Cannot save a screenshot: %s\n", error.c_str());
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

// Outside an input callback GLUT has no modifier state to report (and complains when asked),
// so scripted keys bring their own.
int scriptedModifiers = 0;
int readScriptedModifiers() {
    return scriptedModifiers;
}

template <typename Deliver> void withModifiers(int modifiers, Deliver deliver) {
    auto saved = platform().getModifiers;
    scriptedModifiers = modifiers;
    platform().getModifiers = readScriptedModifiers;
    deliver();
    platform().getModifiers = saved;
}

} // namespace

float aspectRatio(int width, int height) {
    return static_cast<float>(width) / static_cast<float>(height > 0 ? height : 1);
}

void onDisplay() {
    currentScreen->display();
    if (frameObserver)
        frameObserver->afterDisplay();
}

void onReshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    currentScreen->reshape(width, height);
}

void onKeyboard(unsigned char key, int x, int y) {
    mouse.setPosition(x, y);
    keys.setKey(key, true);
    currentScreen->keyboard(key, x, y);
}

void onKeyboardUp(unsigned char key, int x, int y) {
    mouse.setPosition(x, y);
    keys.setKey(key, false);
    currentScreen->keyboardUp(key, x, y);
}

void onSpecial(int key, int x, int y) {
    mouse.setPosition(x, y);
    if (!shellKey(key))
        currentScreen->special(key, x, y);
}

void onSpecialUp(int key, int x, int y) {
    mouse.setPosition(x, y);
    if (key != GLUT_KEY_F11 && key != GLUT_KEY_F12)
        currentScreen->specialUp(key, x, y);
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
    withModifiers(modifiers, [&] {
        if (down)
            onKeyboard(key, mouse.x, mouse.y);
        else
            onKeyboardUp(key, mouse.x, mouse.y);
    });
}

void injectSpecial(int key, bool down, int modifiers) {
    withModifiers(modifiers, [&] {
        if (down)
            onSpecial(key, mouse.x, mouse.y);
        else
            onSpecialUp(key, mouse.x, mouse.y);
    });
}

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

void beginFrame() {
    checkKeyboardFocus();
    if (frameObserver)
        frameObserver->beginFrame();
}

void presentFrame() {
    if (frameObserver)
        frameObserver->beforeSwap();
    if (screenshotRequested)
        saveRequestedScreenshot();
    platform().swapBuffers();
}

namespace {

// Overlapping planar shadows rely on the stencil buffer to darken only once.
void checkStencil() {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (stencilBits < 1)
        printf("Warning: the window has no stencil buffer; overlapping shadows will darken "
               "twice.\n");
}

// Antialiasing is the largest cost of a frame on a software renderer, so a slow game starts by
// looking here.
void reportMultisampling() {
    GLint buffers = 0, samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    if (buffers > 0 && samples > 1)
        printf("Multisampling: %d samples\n", samples);
    else
        printf("Multisampling: off\n");
}

} // namespace

void openWindow(int* argc, char** argv, const WindowSettings& settings) {
    glutInit(argc, argv);
    // Mesa gives no stencil buffer unless asked, and the shadow pass needs one.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL |
                        (settings.multisample ? GLUT_MULTISAMPLE : 0));
    glutGameModeString("1280x768:32");
    // Full screen is the window grown over the desktop rather than game mode: it keeps the
    // desktop's video mode and the GL context, so F11 can turn it off and on while playing.
    glutInitWindowSize(settings.width, settings.height);
    glutCreateWindow("Quorl Video Game");
    fullscreen = settings.fullscreen;
    if (fullscreen)
        glutFullScreen();
    // Closing the window leaves the main loop instead of ending the process inside GLUT.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    // Held keys are held buttons: a press and a release each, never a stream of presses.
    glutIgnoreKeyRepeat(1);
    const GLubyte* version = glGetString(GL_VERSION);
    printf("OpenGL version: %s\n", version ? reinterpret_cast<const char*>(version) : "unknown");
    reportMultisampling();
    fflush(stdout);
    checkStencil();
}

int runShell(Screen* first) {
    glutDisplayFunc(onDisplay);
    glutKeyboardFunc(onKeyboard);
    glutKeyboardUpFunc(onKeyboardUp);
    glutReshapeFunc(onReshape);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    // Key releases of the arrows and other special keys, for players on the keyboard.
    glutSpecialUpFunc(onSpecialUp);
    switchScreen(first);
    currentScreen->activate();
    glutMainLoop();
    return 0;
}

void quitProgram() {
    platform().leaveMainLoop();
}
