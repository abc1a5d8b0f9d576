#include "app/platform.h"

#include <GL/freeglut.h>

namespace {

// Before glutInit there is no window, no loop and no input: GLUT itself would end the process
// on any of these calls, so they answer as an idle program would.
bool glutReady() {
    return glutGet(GLUT_INIT_STATE) != 0;
}

int glutModifiers() {
    return glutReady() ? glutGetModifiers() : 0;
}

void postGlutRedisplay() {
    if (glutReady())
        glutPostRedisplay();
}

void armGlutTimer(unsigned int milliseconds, Platform::TimerCallback callback, int value) {
    if (glutReady())
        glutTimerFunc(milliseconds, callback, value);
}

void attachGlutMenu(int menu, int button) {
    if (!glutReady())
        return;
    glutSetMenu(menu);
    glutAttachMenu(button);
}

void detachGlutMenu(int button) {
    if (glutReady())
        glutDetachMenu(button);
}

} // namespace

Platform glutPlatform() {
    return Platform{glutModifiers, postGlutRedisplay, armGlutTimer, attachGlutMenu, detachGlutMenu};
}

Platform& platform() {
    static Platform current = glutPlatform();
    return current;
}
