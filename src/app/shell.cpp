#include "app/shell.h"

#include <GL/freeglut.h>
#include <cstdio>

Screen* currentScreen = nullptr;
int windowWidth = 0;
int windowHeight = 0;
KeyboardState keys;
MouseState mouse;

float aspectRatio(int width, int height) {
    return static_cast<float>(width) / static_cast<float>(height > 0 ? height : 1);
}

void onDisplay() {
    currentScreen->display();
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
    currentScreen->special(key, x, y);
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

namespace {

// Overlapping planar shadows rely on the stencil buffer to darken only once.
void checkStencil() {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (stencilBits < 1)
        printf("Warning: the window has no stencil buffer; overlapping shadows will darken "
               "twice.\n");
}

} // namespace

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    // Mesa gives no stencil buffer unless asked, and the shadow pass needs one.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL | GLUT_MULTISAMPLE);
    glutGameModeString("1280x768:32");
    if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) != 0 && fullscreen) {
        glutEnterGameMode();
    } else {
        glutInitWindowSize(800, 600);
        glutCreateWindow("Quorl Video Game");
    }
    // Closing the window leaves the main loop instead of ending the process inside GLUT.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    const GLubyte* version = glGetString(GL_VERSION);
    printf("OpenGL version: %s\n", version ? reinterpret_cast<const char*>(version) : "unknown");
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
    switchScreen(first);
    currentScreen->activate();
    glutMainLoop();
    return 0;
}
