#pragma once

#include <GL/gl.h>
#include <string>
#include <vector>

// The real OpenGL window that tests draw into: 800x600, RGB, double-buffered, with depth and
// stencil buffers, opened through freeglut. Works under Xvfb with Mesa's software renderer.
//
// There is one window (and one GL context) per test process, opened by the first
// GlTestWindow and kept until the process ends, so that class-wide display lists and
// textures built in one test stay valid in the next. Each GlTestWindow is a session on it:
// the constructor makes the context current, saves all attribute state and calls
// resetState(); the destructor restores the saved state and empties the matrix stacks.
// Objects created in the context (display lists, textures) are not undone.
//
//     GlTestWindow window;
//     ASSERT_TRUE(window.ok()) << window.error();
//     ... set up the projection, draw with plain GL calls ...
//     EXPECT_EQ(window.glErrors(), "");
//     GlTestWindow::Pixel p = window.pixel(400, 300);
//
// Without a reachable X display (or a visual with depth and stencil) nothing is opened,
// ok() is false and error() says why; no GL call may be made then. Pixel coordinates are
// OpenGL's: (0, 0) is the bottom-left pixel, and images start with the bottom row.
// Sessions do not nest: keep one alive at a time. Non-copyable.
class GlTestWindow {
public:
    static constexpr int WIDTH = 800; // pixels
    static constexpr int HEIGHT = 600;

    struct Pixel {
        unsigned char r, g, b, a;
    };

    GlTestWindow();
    ~GlTestWindow();
    GlTestWindow(const GlTestWindow&) = delete;
    GlTestWindow& operator=(const GlTestWindow&) = delete;

    bool ok() const { return problem.empty(); }
    const std::string& error() const { return problem; }

    // Makes the test window current again, after code under test chose another window.
    void makeCurrent();
    // Back to a known state: matrix stacks emptied, identity projection and model-view,
    // viewport over the whole window, black clear colour, colour, depth and stencil cleared,
    // no pending GL error. Other state (lighting, tests, blending) is what the session found.
    void resetState();
    // Shows the back buffer, which is undefined afterwards; read what is shown with
    // readShownRgb().
    void swapBuffers();

    // From the back buffer, where drawing goes: WIDTH * HEIGHT * 3 (or * 4) bytes, bottom row
    // first. Pixels outside the window read as zeros.
    std::vector<unsigned char> readRgb();
    std::vector<unsigned char> readRgba();
    Pixel pixel(int x, int y);
    // What the window shows after swapBuffers(), read from the X server (Mesa's software
    // renderer reads GL_FRONT as black after a swap). Same layout as readRgb(); alpha is 255.
    std::vector<unsigned char> readShownRgb();
    Pixel shownPixel(int x, int y);
    // Window depth in [0, 1]; 1 after a clear with the default clear depth.
    float depth(int x, int y);
    std::vector<float> readDepth(); // WIDTH * HEIGHT values, bottom row first
    int stencil(int x, int y);

    // Drains glGetError: "" when there was none, else the error names separated by spaces.
    static std::string glErrors();
    // GL_STENCIL_BITS of the current context (8 under Xvfb with Mesa).
    static int stencilBits();

private:
    std::vector<unsigned char> read(GLenum format, int channels, int x, int y, int width,
                                    int height);

    std::string problem; // empty when the window is open
};
