#include "platform/window.h"

#include <GL/freeglut.h>
#include <cstdio>

int windowWidth = 0;
int windowHeight = 0;
bool fullscreen = false;

float aspectRatio(int width, int height) {
    return static_cast<float>(width) / static_cast<float>(height > 0 ? height : 1);
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
