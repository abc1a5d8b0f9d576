#include <gtest/gtest.h>

#include <GL/glu.h>
#include <memory>
#include <sstream>

#include "math/faces.h"
#include "support/biglevels.h"
#include "support/glwindow.h"
#include "view/worldcamera.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

std::unique_ptr<World> levelFrom(const std::string& text) {
    std::istringstream in(text);
    testing::internal::CaptureStdout();
    std::unique_ptr<World> world(readLevel(in, "twins"));
    testing::internal::GetCapturedStdout();
    return world;
}

// The game screen's state for a view, the eye on the ray from the centre along `from`.
void beginView(GlTestWindow& window, const Vec3f& from, float distance) {
    window.resetState();
    glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, 800.0 / 600.0, 1, 400);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Vec3f eye = from * (distance / from.length());
    Vec3f up = std::fabs(from.z()) > 0.9f * from.length() ? Vec3f(0, 1, 0) : Vec3f(0, 0, 1);
    gluLookAt(eye.x(), eye.y(), eye.z(), 0, 0, 0, up.x(), up.y(), up.z());
}

// The world as a player's view draws it: shadows on the face in focus, then blocks and movers.
std::vector<unsigned char> viewOf(GlTestWindow& window, World& world, const Vec3f& from) {
    beginView(window, from, 150);
    Vec3f focus = faceNormal(faceOf(from));
    world.draw(nullptr, &focus);
    glFinish();
    return window.readRgb();
}

// The stacks of the editor's copying, hundreds of identical blocks each, against one block at
// each spot: left out, the twins change no pixel of the views, shadows included, nor of the
// miniature. A block at a stack's spot that is taller, or of another colour, is no twin and
// shows.
TEST(BlockTwins, LeavingOutTwinsChangesNoPixelOfTheViewsOrTheMiniature) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();
    std::unique_ptr<World> stacked = levelFrom(biglevels::stackedLevel(1200));
    std::unique_ptr<World> single = levelFrom(biglevels::stackedLevel(6));
    ASSERT_TRUE(stacked && single);
    ASSERT_EQ(stacked->boxes.size(), 1200u);
    for (World* world : {stacked.get(), single.get()}) { // one stack with a tall odd block
        Box* bottom = static_cast<Box*>(world->boxes.front());
        auto* tall = new Box(bottom->position, world, bottom->width, bottom->depth, 9);
        tall->colour = Vec4f(0.8f, 0.1f, 0.1f, 1);
        world->addObject(tall);
    }
    const Vec3f views[] = {Vec3f(0.6f, 0.5f, 1), Vec3f(1, 0.4f, 0.3f), Vec3f(-0.3f, -1, -0.5f)};
    for (const Vec3f& from : views) {
        std::vector<unsigned char> lone = viewOf(window, *single, from);
        EXPECT_EQ(viewOf(window, *stacked, from), lone) << from.x() << " " << from.y();
        // The odd block shows: red where the grey stack would be.
        int red = 0;
        for (size_t i = 0; i + 2 < lone.size(); i += 3)
            red += lone[i] > 120 && lone[i + 1] < 60 && lone[i + 2] < 60;
        if (&from == &views[0]) {
            EXPECT_GT(red, 50);
        }
    }
    for (const Vec3f& from : views) {
        std::vector<unsigned char> pictures[2];
        for (int k = 0; k < 2; ++k) {
            beginView(window, from, 130);
            glDisable(GL_LIGHTING);
            (k ? stacked : single)->drawMap(from * (1 / from.length()));
            glFinish();
            pictures[k] = window.readRgb();
        }
        EXPECT_EQ(pictures[1], pictures[0]);
    }
    EXPECT_EQ(window.glErrors(), "");
}

} // namespace
