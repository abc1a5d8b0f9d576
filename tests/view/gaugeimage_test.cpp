#define GL_GLEXT_PROTOTYPES
#include "view/gaugeimage.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdlib>

#include "support/glwindow.h"

namespace {

// A view in the lower left part of the window, as a split screen has them.
constexpr int VIEW_X = 100, VIEW_Y = 50, VIEW_WIDTH = 360, VIEW_HEIGHT = 240;

// Stands in for the window: colour and depth of the window's size with `samples` samples,
// read back resolved.
class Target {
public:
    explicit Target(int samples) {
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, W, H);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, W, H);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  renderbuffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffers[1]);
        complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, renderbuffers);
        glDeleteFramebuffers(1, &framebuffer);
    }

    // The window's picture through its single-sample copy, bottom row first.
    std::vector<unsigned char> resolvedRgb() {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, W, H, 0, 0, W, H, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        std::vector<unsigned char> rgb(static_cast<size_t>(W) * H * 3);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        return rgb;
    }

    bool complete = false;

private:
    static constexpr int W = GlTestWindow::WIDTH, H = GlTestWindow::HEIGHT;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
};

// The view's world: colours changing across it, so what shows through an edge matters.
void drawWorld() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_QUADS);
    glColor3f(0.9f, 0.1f, 0.2f);
    glVertex2f(0, 0);
    glColor3f(0.1f, 0.8f, 0.3f);
    glVertex2f(1, 0);
    glColor3f(0.2f, 0.3f, 0.9f);
    glVertex2f(1, 1);
    glColor3f(0.7f, 0.7f, 0.1f);
    glVertex2f(0, 1);
    glEnd();
}

// The overlay's projection, then `discs` lit discs stacked and leaning towards the viewer, as
// the health gauge draws them.
void drawStack(int discs) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.75, 0.75, -0.5, 0.5, 7, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-0.75f, -0.5f, -7.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    GLUquadric* quadric = gluNewQuadric();
    for (int i = 0; i < discs; ++i) {
        glPushMatrix();
        glTranslatef(1.2f, 0.18f + 0.032f * static_cast<float>(i), -0.09f);
        glRotatef(-85, 1, 0, 0);
        glColor3f(0.2f, 0.9f, 0.1f);
        gluCylinder(quadric, 0.06, 0.06, 0.02, 30, 10);
        glTranslatef(0, 0, 0.02f);
        gluDisk(quadric, 0, 0.06, 20, 1);
        glPopMatrix();
    }
    gluDeleteQuadric(quadric);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
}

// The view's viewport, and its scissor as a split screen sets it.
void enterView() {
    glViewport(VIEW_X, VIEW_Y, VIEW_WIDTH, VIEW_HEIGHT);
    glScissor(VIEW_X, VIEW_Y, VIEW_WIDTH, VIEW_HEIGHT);
    glEnable(GL_SCISSOR_TEST);
}

struct Pictures {
    std::vector<unsigned char> world, inPlace, pasted, pastedAgain;
    int drawsForPaste = 0; // stack draws that the two frames through the image needed
    bool pastes = false;
};

// The view drawn four times in a window of `samples` samples: the world alone, the stack in
// place, then twice through one image.
Pictures drawViews(int samples) {
    Pictures pictures;
    GaugeImage image;
    Target target(samples);
    EXPECT_TRUE(target.complete);
    enterView();
    std::vector<unsigned char>* frames[] = {&pictures.world, &pictures.inPlace, &pictures.pasted,
                                            &pictures.pastedAgain};
    for (int frame = 0; frame < 4; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawWorld();
        if (frame == 1)
            drawStack(7);
        else if (frame > 1)
            image.draw(7, [&] {
                ++pictures.drawsForPaste;
                drawStack(7);
            });
        *frames[frame] = target.resolvedRgb();
    }
    pictures.pastes = image.pastes();
    glDisable(GL_SCISSOR_TEST);
    return pictures;
}

int largestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

TEST(GaugeImage, PastesThePixelsOfDrawingInPlaceAndDrawsOnlyWhenItMust) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();

    Pictures single = drawViews(0);
    ASSERT_FALSE(single.inPlace.empty());
    EXPECT_TRUE(single.pastes);
    EXPECT_TRUE(single.pasted == single.inPlace);
    EXPECT_TRUE(single.pastedAgain == single.inPlace);
    EXPECT_EQ(single.drawsForPaste, 1);
    // The stack shows, and the world round it too.
    EXPECT_GT(std::count(single.inPlace.begin(), single.inPlace.end(), 0), 0);
    size_t differentFromWorld = 0;
    for (size_t i = 0; i < single.world.size(); i += 3)
        differentFromWorld +=
            !std::equal(&single.world[i], &single.world[i] + 3, &single.inPlace[i]);
    EXPECT_GT(differentFromWorld, 1000u);

    // A multisampled window draws the gauge in place, every frame.
    Pictures multi = drawViews(4);
    EXPECT_FALSE(multi.pastes);
    EXPECT_EQ(multi.drawsForPaste, 2);
    EXPECT_TRUE(multi.pasted == multi.inPlace);
    EXPECT_GT(largestDifference(multi.inPlace, single.inPlace), 20); // the edges are soft

    // Another health or another view size draws the picture again; the state the caller set
    // up is as it was.
    GaugeImage image;
    int draws = 0;
    auto stack = [&] {
        ++draws;
        drawStack(3);
    };
    enterView();
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    for (int health : {3, 3, 4, 4})
        image.draw(health, stack);
    EXPECT_EQ(draws, 2);
    glViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT + 1);
    image.draw(4, stack);
    EXPECT_EQ(draws, 3);
    GLint viewport[4], framebuffer = -1;
    GLfloat clear[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(viewport[3], VIEW_HEIGHT + 1);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FLOAT_EQ(clear[2], 0.75f);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    EXPECT_EQ(GlTestWindow::glErrors(), "");
}

} // namespace
