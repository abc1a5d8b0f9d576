#include "support/glwindow.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <thread>

namespace {

constexpr unsigned int DISPLAY_MODE = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL;

void drawNothing() {}

// Set by freeglut from the event loop once the X server has mapped the window.
bool windowVisible = false;

void noteVisibility(int state) {
    windowVisible = state == GLUT_VISIBLE;
}

// An unmapped window shows nothing, so wait for the map before anyone reads it.
bool waitUntilVisible() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!windowVisible && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
        if (!windowVisible)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return windowVisible;
}

// glutInit may run only once per process, and the program under test may have run it.
// freeglut ends the process when it cannot open the display, so look first. The probe stays
// connected until freeglut is: Xvfb resets when its last client leaves, and a connection
// made during the reset is refused.
std::string initialiseGlut() {
    if (glutGet(GLUT_INIT_STATE))
        return "";
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return "no X display: DISPLAY is not set (run the tests under xvfb-run)";
    Display* probe = XOpenDisplay(nullptr);
    if (!probe)
        return std::string("cannot open X display '") + name + "' (is Xvfb running?)";
    static char program[] = "quorl_tests";
    static char* argv[] = {program, nullptr};
    int argc = 1;
    glutInit(&argc, argv);
    XCloseDisplay(probe);
    // Closing the window from outside must not end the test program.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    return "";
}

int listDriver(dl_phdr_info* info, size_t, void* names) {
    std::string name = info->dlpi_name ? info->dlpi_name : "";
    if (name.find("_dri.so") != std::string::npos || name.find("libgallium") != std::string::npos)
        static_cast<std::vector<std::string>*>(names)->push_back(name);
    return 0;
}

// Mesa unloads its driver at exit, before LeakSanitizer looks at what is left: the driver's
// caches would then be reported from an unknown module, out of reach of the suppressions.
// Taking a reference that is never dropped keeps the driver mapped to the end.
void keepDriverLoaded() {
    static bool done = false;
    if (done)
        return;
    std::vector<std::string> names;
    dl_iterate_phdr(listDriver, &names);
    for (const std::string& name : names)
        done = dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE) != nullptr || done;
}

// One colour channel of an X pixel value, scaled to 0..255 whatever the channel's width.
unsigned char channel(unsigned long value, unsigned long mask) {
    if (mask == 0)
        return 0;
    unsigned long shifted = value & mask;
    while ((mask & 1) == 0) {
        mask >>= 1;
        shifted >>= 1;
    }
    return static_cast<unsigned char>(shifted * 255 / mask);
}

const char* errorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "unknown GL error";
    }
}

// Test programs run side by side on one display, and with no window manager a newer window
// covers this one: what the screen shows would then be the other window's, or nothing once it
// closes. Redirected, the window keeps its own pixels whatever lies over it, and reading it back
// reads those. A server without the extension leaves covered pixels undefined.
void keepOwnPixels() {
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    int event = 0, error = 0;
    if (!display || !drawable || !XCompositeQueryExtension(display, &event, &error))
        return;
    XCompositeRedirectWindow(display, drawable, CompositeRedirectAutomatic);
    XSync(display, False);
}

int sharedWindow = 0; // GLUT window id; 0 until opened, then kept until the process ends

std::string openWindow() {
    std::string problem = initialiseGlut();
    if (!problem.empty())
        return problem;
    glutInitDisplayMode(DISPLAY_MODE);
    if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE))
        return "the X display offers no RGB visual with double buffer, depth and stencil";
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(GlTestWindow::WIDTH, GlTestWindow::HEIGHT);
    sharedWindow = glutCreateWindow("Quorl test window");
    glutDisplayFunc(drawNothing);
    glutVisibilityFunc(noteVisibility);
    keepDriverLoaded();
    if (!waitUntilVisible())
        return "the test window was not mapped within 5 seconds";
    keepOwnPixels();
    return "";
}

// Opens the window on first use; later calls report the first outcome again.
const std::string& openSharedWindow() {
    static const std::string problem = openWindow();
    return problem;
}

} // namespace

GlTestWindow::GlTestWindow() {
    problem = openSharedWindow();
    if (!problem.empty())
        return;
    makeCurrent();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    resetState();
}

GlTestWindow::~GlTestWindow() {
    if (!problem.empty())
        return;
    makeCurrent();
    glPopClientAttrib();
    glPopAttrib();
    resetState();
}

void GlTestWindow::makeCurrent() {
    if (sharedWindow)
        glutSetWindow(sharedWindow);
}

void GlTestWindow::resetState() {
    const GLenum stacks[][2] = {{GL_TEXTURE, GL_TEXTURE_STACK_DEPTH},
                                {GL_PROJECTION, GL_PROJECTION_STACK_DEPTH},
                                {GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH}};
    for (const auto& stack : stacks) {
        glMatrixMode(stack[0]);
        GLint depth = 1;
        glGetIntegerv(stack[1], &depth);
        for (; depth > 1; --depth)
            glPopMatrix();
        glLoadIdentity();
    }
    glViewport(0, 0, WIDTH, HEIGHT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glErrors();
}

void GlTestWindow::swapBuffers() {
    glutSwapBuffers();
    glFinish();
}

std::vector<unsigned char> GlTestWindow::read(GLenum format, int channels, int x, int y, int width,
                                              int height) {
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * channels);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, format, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    return bytes;
}

std::vector<unsigned char> GlTestWindow::readRgb() {
    return read(GL_RGB, 3, 0, 0, WIDTH, HEIGHT);
}

std::vector<unsigned char> GlTestWindow::readRgba() {
    return read(GL_RGBA, 4, 0, 0, WIDTH, HEIGHT);
}

GlTestWindow::Pixel GlTestWindow::pixel(int x, int y) {
    std::vector<unsigned char> bytes = read(GL_RGBA, 4, x, y, 1, 1);
    return Pixel{bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::vector<unsigned char> GlTestWindow::readShownRgb() {
    std::vector<unsigned char> bytes(static_cast<size_t>(WIDTH) * HEIGHT * 3);
    makeCurrent();
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable)
        return bytes;
    XSync(display, False);
    XImage* image = XGetImage(display, drawable, 0, 0, WIDTH, HEIGHT, AllPlanes, ZPixmap);
    if (!image)
        return bytes;
    for (int row = 0; row < HEIGHT; ++row)
        for (int x = 0; x < WIDTH; ++x) {
            // X counts rows from the top, OpenGL from the bottom.
            unsigned long value = XGetPixel(image, x, HEIGHT - 1 - row);
            unsigned char* out = &bytes[(static_cast<size_t>(row) * WIDTH + x) * 3];
            out[0] = channel(value, image->red_mask);
            out[1] = channel(value, image->green_mask);
            out[2] = channel(value, image->blue_mask);
        }
    XDestroyImage(image);
    return bytes;
}

GlTestWindow::Pixel GlTestWindow::shownPixel(int x, int y) {
    if (x < 0 || x >= WIDTH || y < 0 || y >= HEIGHT)
        return Pixel{0, 0, 0, 0};
    std::vector<unsigned char> bytes = readShownRgb();
    const unsigned char* p = &bytes[(static_cast<size_t>(y) * WIDTH + x) * 3];
    return Pixel{p[0], p[1], p[2], 255};
}

float GlTestWindow::depth(int x, int y) {
    float value = 0.0f;
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &value);
    return value;
}

std::vector<float> GlTestWindow::readDepth() {
    std::vector<float> values(static_cast<size_t>(WIDTH) * HEIGHT);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_DEPTH_COMPONENT, GL_FLOAT, values.data());
    return values;
}

int GlTestWindow::stencil(int x, int y) {
    std::vector<unsigned char> bytes = read(GL_STENCIL_INDEX, 1, x, y, 1, 1);
    return bytes[0];
}

std::string GlTestWindow::glErrors() {
    std::string names;
    // Bounded: without a current context some drivers keep reporting the same error.
    for (int i = 0; i < 32; ++i) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        if (!names.empty())
            names += ' ';
        names += errorName(error);
    }
    return names;
}

int GlTestWindow::stencilBits() {
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    return bits;
}
