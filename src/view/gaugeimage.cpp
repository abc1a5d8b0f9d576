#define GL_GLEXT_PROTOTYPES
#include "view/gaugeimage.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <algorithm>
#include <cstdlib>

namespace {

// Off-screen buffers came with OpenGL 3.0. False from the first buffer the driver would not
// complete: the gauge is drawn in place from then on.
bool offScreenBuffers = true;

bool driverHasOffScreenBuffers() {
    static const bool has = [] {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        return version != nullptr && std::atoi(version) >= 3;
    }();
    return has;
}

void allocate(GLuint renderbuffer, GLenum format, int width, int height) {
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

bool attach(GLuint framebuffer, GLuint colour, GLuint depth) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Into the bound framebuffer, cleared to transparent: the gauge alone, in a viewport of the
// view's size at the buffer's corner.
void drawAlone(const std::function<void()>& drawGauge, int width, int height) {
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    GLfloat clearDepth = 1;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    glDepthMask(GL_TRUE);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawGauge();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glClearDepth(clearDepth);
    glDepthMask(depthWrites);
}

} // namespace

GaugeImage::~GaugeImage() {
    if (texture != 0)
        glDeleteTextures(1, &texture);
}

void GaugeImage::draw(int shownHealth, const std::function<void()>& drawGauge) {
    GLint viewport[4], samples = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_SAMPLES, &samples);
    const int viewWidth = viewport[2], viewHeight = viewport[3];
    if (samples > 1 || !offScreenBuffers || !driverHasOffScreenBuffers()) {
        drawGauge();
        return;
    }
    if (texture == 0 || health != shownHealth || madeWidth != viewWidth ||
        madeHeight != viewHeight) {
        offScreenBuffers = make(drawGauge, viewWidth, viewHeight);
        health = shownHealth;
        madeWidth = viewWidth;
        madeHeight = viewHeight;
        if (!offScreenBuffers) {
            drawGauge();
            return;
        }
    }
    paste(viewWidth, viewHeight);
}

bool GaugeImage::make(const std::function<void()>& drawGauge, int viewWidth, int viewHeight) {
    GLint window = 0, viewport[4];
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &window);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0}; // colour, depth
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(2, renderbuffers);
    allocate(renderbuffers[0], GL_RGBA8, viewWidth, viewHeight);
    allocate(renderbuffers[1], GL_DEPTH_COMPONENT24, viewWidth, viewHeight);
    bool complete = attach(framebuffer, renderbuffers[0], renderbuffers[1]);
    std::vector<unsigned char> pixels;
    // The view's scissor is in window pixels.
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    if (complete) {
        drawAlone(drawGauge, viewWidth, viewHeight);
        pixels.resize(static_cast<size_t>(viewWidth) * viewHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, viewWidth, viewHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(window));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glDeleteRenderbuffers(2, renderbuffers);
    glDeleteFramebuffers(1, &framebuffer);
    if (complete)
        keep(pixels, viewWidth, viewHeight);
    return complete;
}

// Crops the view to the box round the pixels the gauge covers and keeps that.
void GaugeImage::keep(const std::vector<unsigned char>& pixels, int viewWidth, int viewHeight) {
    int x0 = viewWidth, y0 = viewHeight, x1 = -1, y1 = -1;
    // Invariant: [x0, x1] x [y0, y1] bounds the covered pixels of the rows below y.
    for (int y = 0; y < viewHeight; ++y)
        for (int x = 0; x < viewWidth; ++x)
            if (pixels[(static_cast<size_t>(y) * viewWidth + x) * 4 + 3] != 0) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    left = x0;
    bottom = y0;
    width = x1 >= x0 ? x1 - x0 + 1 : 0;
    height = y1 >= y0 ? y1 - y0 + 1 : 0;
    std::vector<unsigned char> cropped(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        std::copy_n(&pixels[(static_cast<size_t>(y + bottom) * viewWidth + left) * 4], width * 4,
                    &cropped[static_cast<size_t>(y) * width * 4]);
    if (texture == 0)
        glGenTextures(1, &texture);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 cropped.empty() ? nullptr : cropped.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

// Texel for pixel: the quad's corners lie on pixel corners of the view, so each pixel's centre
// samples its own texel. Where the gauge left the picture transparent the world stays.
void GaugeImage::paste(int viewWidth, int viewHeight) const {
    if (width == 0 || height == 0)
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewWidth, 0, viewHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    const float x0 = static_cast<float>(left), y0 = static_cast<float>(bottom);
    const float x1 = x0 + static_cast<float>(width), y1 = y0 + static_cast<float>(height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
