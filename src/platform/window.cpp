#include "platform/window.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cctype>
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
// looking here: which kind of window the game got, and why.
void reportMultisampling(const std::string& why) {
    GLint buffers = 0, samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    if (buffers > 0 && samples > 1)
        printf("Multisampling: %d samples (%s)\n", samples, why.c_str());
    else
        printf("Multisampling: off (%s)\n", why.c_str());
}

std::string rendererName() {
    const GLubyte* renderer = glGetString(GL_RENDERER);
    return renderer ? reinterpret_cast<const char*>(renderer) : "unknown";
}

int createWindow(const WindowSettings& settings, bool multisample) {
    // Mesa gives no stencil buffer unless asked, and the shadow pass needs one.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL |
                        (multisample ? GLUT_MULTISAMPLE : 0));
    glutInitWindowSize(settings.width, settings.height);
    return glutCreateWindow("Quorl Video Game");
}

} // namespace

bool isSoftwareRenderer(const std::string& renderer) {
    std::string lower = renderer;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer"})
        if (lower.find(software) != std::string::npos)
            return true;
    return false;
}

void openWindow(int* argc, char** argv, const WindowSettings& settings) {
    glutInit(argc, argv);
    glutGameModeString("1280x768:32");
    // Full screen is the window grown over the desktop rather than game mode: it keeps the
    // desktop's video mode and the GL context, so F11 can turn it off and on while playing.
    int window = createWindow(settings, settings.multisample == Multisample::ON);
    std::string why = settings.multisampleSource;
    if (settings.multisample == Multisample::AUTO) {
        // The renderer is known only once a window has its context: the plain window stays
        // where samples would halve the frame rate, and makes way for a multisampled one where
        // they cost next to nothing.
        std::string renderer = rendererName();
        if (isSoftwareRenderer(renderer)) {
            why = "auto: software renderer " + renderer;
        } else {
            glutDestroyWindow(window);
            createWindow(settings, true);
            why = "auto: graphics card renderer " + renderer;
        }
    }
    fullscreen = settings.fullscreen;
    if (fullscreen)
        glutFullScreen();
    // Closing the window leaves the main loop instead of ending the process inside GLUT.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    // Held keys are held buttons: a press and a release each, never a stream of presses.
    glutIgnoreKeyRepeat(1);
    const GLubyte* version = glGetString(GL_VERSION);
    printf("OpenGL version: %s\n", version ? reinterpret_cast<const char*>(version) : "unknown");
    reportMultisampling(why);
    fflush(stdout);
    checkStencil();
}
