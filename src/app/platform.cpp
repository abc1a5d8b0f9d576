#include "app/platform.h"

#include <GL/freeglut.h>

namespace {

void armGlutTimer(unsigned int milliseconds, Platform::TimerCallback callback, int value) {
    glutTimerFunc(milliseconds, callback, value);
}

void attachGlutMenu(int menu, int button) {
    glutSetMenu(menu);
    glutAttachMenu(button);
}

} // namespace

Platform glutPlatform() {
    return Platform{glutGetModifiers, glutPostRedisplay, armGlutTimer, attachGlutMenu,
                    glutDetachMenu};
}

Platform& platform() {
    static Platform current = glutPlatform();
    return current;
}
