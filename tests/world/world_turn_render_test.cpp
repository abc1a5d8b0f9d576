#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "math/constants.h"
#include "math/faces.h"
#include "platform/pngwriter.h"
#include "support/glwindow.h"
#include "support/probeobject.h"
#include "support/shadowprobe.h"
#include "view/worldcamera.h"
#include "world/cubemesh.h"
#include "world/world.h"

namespace {

// A block that sets its colour in both passes, as the game's blocks do.
class PaintedBlock : public SolidBlock {
public:
    PaintedBlock(const Vec3f& position, World* world, const Vec4f& colour)
        : SolidBlock(position, world, 8, 8, 8), colour(colour) {}
    void draw(bool shadow) override {
        glColor3fv(colour.data());
        SolidBlock::draw(shadow);
    }
    Vec4f colour;
};

// An object that notes which of the six face lights are on whenever it is drawn.
class LightProbe : public ProbeObject {
public:
    LightProbe(const Vec3f& position, World* world, int type)
        : ProbeObject(position, world, type) {}
    void draw(bool shadow) override {
        ProbeObject::draw(shadow);
        if (shadow)
            return;
        lights.clear();
        for (int f = 0; f < 6; ++f)
            if (glIsEnabled(GL_LIGHT0 + f))
                lights.insert(f);
    }
    std::set<int> lights;
};

// A 3x3x3 world of 28-unit cubies (half extent 42) in the game screen's GL state, seen through
// a world camera; pictures are read back from the frame drawn last.
class WorldTurnRender : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.ok()) << window.error();
        camera.zoom(h * 3.2f);
    }

    // Puts the eye on the ray from the cube's centre along `direction`.
    void lookFrom(const Vec3f& direction) {
        Vec3f axis = cross(Vec3f(0, 0, 1), direction);
        float angle = std::acos(direction.z() / direction.length());
        camera.transform = Matrix4f::rotation(-angle, axis);
    }
    void beginFrame(double fov = 65) {
        window.resetState();
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
        glShadeModel(GL_SMOOTH);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fov, 800.0 / 600.0, 1, 400);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.apply();
    }
    void drawFrame(double fov = 65) {
        beginFrame(fov);
        world.draw(nullptr, nullptr);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glFinish();
    }
    GlTestWindow::Pixel pixelAt(const Vec3f& p) {
        double x, y, z;
        gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &x, &y, &z);
        return window.pixel(static_cast<int>(x), static_cast<int>(y));
    }
    // With QUORL_TEST_PICTURES set to a folder, the frame drawn last is saved there.
    void savePicture(const std::string& name) {
        const char* folder = std::getenv("QUORL_TEST_PICTURES");
        if (!folder)
            return;
        std::string error;
        EXPECT_TRUE(writePng(std::string(folder) + "/" + name + ".png", GlTestWindow::WIDTH,
                             GlTestWindow::HEIGHT, window.readRgb(), error))
            << error;
    }

    GlTestWindow window;
    World world{3, 28};
    float h = world.halfExtent();
    WorldCamera camera;
    double modelView[16], projection[16];
    GLint viewport[4];
};

int brightest(const GlTestWindow::Pixel& p) {
    return std::max({p.r, p.g, p.b});
}

// Several blocks of one colour, as in a level: after the turning face's shadows the blocks
// must still take their colour, on the turning layer and off it, in every frame of the turn.
TEST_F(WorldTurnRender, BlocksKeepTheirColoursThroughATurn) {
    const Vec4f orange(0.5f, 0.25f, 0.05f, 1.0f);
    auto* still = new PaintedBlock(Vec3f(28, 0, h), &world, orange);
    auto* rider = new PaintedBlock(Vec3f(-28, 0, h), &world, orange);
    world.addObject(still);
    world.addObject(rider);
    world.addObject(new PaintedBlock(Vec3f(28, 28, h), &world, orange));
    world.addObject(new PaintedBlock(Vec3f(-28, -28, h), &world, orange));
    lookFrom(Vec3f(0.2f, -0.8f, 1)); // faces 4 and 3 both in sight
    Vec3f stillTop = still->position + still->up * 8.0f;
    drawFrame();
    GlTestWindow::Pixel lit = pixelAt(stillTop);
    ASSERT_GT(brightest(lit), 60);

    world.startRotation(0, 0); // X layer 0: the rider tilts from face 4 towards face 3
    for (int frame = 1; frame < 18; ++frame) {
        world.update(1.0f / 60);
        drawFrame();
        GlTestWindow::Pixel p = pixelAt(stillTop);
        EXPECT_NEAR(p.r, lit.r, 3) << "frame " << frame;
        EXPECT_NEAR(p.g, lit.g, 3) << "frame " << frame;
        // White lights scale all channels alike, so the rider's hue survives any lighting.
        GlTestWindow::Pixel q = pixelAt(rider->position + rider->up * 8.0f);
        ASSERT_GT(q.r, 40) << "frame " << frame;
        EXPECT_NEAR(q.g / static_cast<float>(q.r), 0.5f, 0.08f) << "frame " << frame;
        EXPECT_LT(q.b, q.g) << "frame " << frame;
        if (frame == 9)
            savePicture("blocks_mid_turn");
    }
}

// A rider's shadow tilts with its strip and still darkens it while the strip's old face's light
// falls on it (later in the turn the faint shadow from the new face's grazing light takes the
// stencil first): the turning face's shadows are drawn for an eye above the strip.
TEST_F(WorldTurnRender, ARidersShadowDarkensItsTurningStrip) {
    auto* probe = new ShadowProbe(Vec3f(-28, 0, h), &world, -6, 6, -6, 6, 4);
    world.addObject(probe);
    World bare(3, 28);
    lookFrom(Vec3f(0, -0.3f, 1));
    int darkened = 0;
    for (int step = 1; step <= 6; ++step) {
        int shades[2];
        for (World* w : {&bare, &world}) {
            if (step == 1)
                w->startRotation(0, 0);
            w->update(1.0f / 60);
            beginFrame();
            w->draw(nullptr, nullptr);
            glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
            glGetIntegerv(GL_VIEWPORT, viewport);
            shades[w == &world] = brightest(pixelAt(probe->position + probe->up * 0.05f));
        }
        EXPECT_LT(shades[1], shades[0] * 0.6) << "step " << step;
        darkened += shades[1] < shades[0];
    }
    EXPECT_EQ(darkened, 6);
}

// Halfway through a turn of X layer 2 its corners stand out of the cube's outline and uncover
// the sides between it and layer 1: seen from either side, those are dark plastic.
TEST_F(WorldTurnRender, TheGapOfATurningLayerShowsDarkPlastic) {
    world.startRotation(2, 0);
    for (int step = 0; step < 9; ++step)
        world.update(1.0f / 60);
    struct Look {
        Vec3f from;      // direction of the eye
        Vec3f points[3]; // on the uncovered sides at x = 14
    };
    const Look looks[] = {
        // Layer 1's side facing +X, where the turned square no longer covers it.
        {Vec3f(1, 0.3f, 1), {Vec3f(14, 36, 36), Vec3f(14, -36, 36), Vec3f(14, 30, 38)}},
        // The turning layer's side facing -X, where its corners stand out.
        {Vec3f(-1, 0.2f, 0.6f), {Vec3f(14, 0, 52), Vec3f(14, 5, 48), Vec3f(14, -4, 50)}},
    };
    for (const Look& look : looks) {
        lookFrom(look.from);
        drawFrame();
        for (const Vec3f& point : look.points) {
            GlTestWindow::Pixel p = pixelAt(point);
            EXPECT_LT(brightest(p), 40) << point.x() << " " << point.y() << " " << point.z();
        }
        savePicture(look.from.x() > 0 ? "gap_from_plus_x" : "gap_from_minus_x");
    }
}

// The straightforward drawing every frame of the old days: each face's sticker of every cubie
// under that face's lights, nothing left out. The world's own drawing must look the same.
void drawEveryCubieWhole(World& world) {
    glEnable(GL_LIGHTING);
    world.setupLights();
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, world.specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, world.shininess);
    float turned = world.rotationElapsed / world.rotationTime * static_cast<float>(PI / 2);
    for (int f = 0; f < 6; ++f)
        for (const Cube* cubie : world.cubies) {
            int g =
                world.isRotating ? rotateFace(world.rotationAxis, world.rotationDirection, f) : f;
            if (!cubie->rotating || world.lightAngle > turned)
                glEnable(GL_LIGHT0 + f);
            if (cubie->rotating && world.lightAngle > static_cast<float>(PI / 2) - turned)
                glEnable(GL_LIGHT0 + g);
            glPushMatrix();
            glMultMatrixf(cubie->matrix.transpose().data());
            cubie->drawStickerFacing(f);
            glPopMatrix();
            glDisable(GL_LIGHT0 + f);
            glDisable(GL_LIGHT0 + g);
        }
    glDisable(GL_LIGHTING);
}

TEST_F(WorldTurnRender, LeavingOutWhatCannotBeSeenChangesNoPixel) {
    World big(5, 28);
    const float turns[][4] = {{0.6f, 1, -1, 0.3f},
                              {2.5f, 1, 1, 1},
                              {0.02f, 1, 0, 0},
                              {1.2f, 0, 1, 0.2f},
                              {3.0f, 0.3f, 1, 0}};
    for (World* w : {&world, &big}) {
        w->startRotation(w->n + 1, 1); // a Y layer next to the outermost one
        // Every fourth step of the turn, then the cube at rest after it.
        for (int step = 0; step <= 20; step += 4) {
            for (const auto& t : turns) {
                WorldCamera view;
                view.zoom(w->halfExtent() * 2.6f);
                view.rotate(t[0], t[1], t[2], t[3]);
                std::vector<unsigned char> pictures[2];
                for (int pass = 0; pass < 2; ++pass) {
                    camera = view;
                    beginFrame();
                    pass == 0 ? w->draw(nullptr, nullptr) : drawEveryCubieWhole(*w);
                    pictures[pass] = window.readRgb();
                }
                // Vertices placed on the CPU light a shade differently and may move an edge
                // pixel; anything more is a side left out that could be seen.
                int different = 0;
                for (size_t i = 0; i < pictures[0].size(); ++i)
                    different += std::abs(pictures[0][i] - pictures[1][i]) > 8 ? 1 : 0;
                EXPECT_LE(different, 12) << "n " << w->n << " step " << step << " turn " << t[0];
            }
            for (int i = 0; i < 4; ++i)
                w->update(1.0f / 60);
        }
    }
}

// The heads-up display's miniature, scaled and unlit as the display draws it, against the
// cube's whole mesh: leaving out what faces away from the eye changes no pixel.
TEST_F(WorldTurnRender, TheMiniatureLeavesOutOnlyWhatCannotBeSeen) {
    World big(4, 28);
    const float looks[][4] = {{0.7f, 1, -1, 0.3f}, {2.6f, 1, 1, 1}, {1.3f, 0, 1, 0.2f}};
    const float scale = 2.0f; // the display scales the miniature too
    for (World* w : {&world, &big}) {
        w->startRotation(w->n, 0); // the layer next to the outermost one, an X turn
        for (int step = 0; step <= 18; step += 6) {
            for (const auto& t : looks) {
                WorldCamera view;
                view.zoom(w->halfExtent() * 2.6f * scale);
                view.rotate(t[0], t[1], t[2], t[3]);
                std::vector<unsigned char> pictures[2];
                for (int pass = 0; pass < 2; ++pass) {
                    camera = view;
                    beginFrame();
                    glDisable(GL_LIGHTING);
                    glScalef(scale, scale, scale);
                    if (pass == 0) {
                        w->drawMap(Z_AXIS);
                    } else {
                        CubeMesh whole;
                        whole.update(*w);
                        whole.bind();
                        whole.draw(whole.all());
                        CubeMesh::unbind();
                    }
                    pictures[pass] = window.readRgb();
                }
                int different = 0;
                for (size_t i = 0; i < pictures[0].size(); ++i)
                    different += pictures[0][i] != pictures[1][i] ? 1 : 0;
                EXPECT_EQ(different, 0) << "n " << w->n << " step " << step << " look " << t[0];
            }
            for (int i = 0; i < 6 && step < 18; ++i)
                w->update(1.0f / 60);
        }
    }
}

TEST_F(WorldTurnRender, ObjectsAreLitByTheirFaceAndBlocksOutOfViewAreSkipped) {
    auto* rider = new LightProbe(Vec3f(-28, 0, h), &world, TANK);
    auto* bystander = new LightProbe(Vec3f(28, 0, h), &world, TANK);
    auto* farBlock = new LightProbe(Vec3f(36, 36, h), &world, BOX);
    auto* farTank = new LightProbe(Vec3f(-36, 36, h), &world, TANK);
    for (Object* o : {(Object*)rider, (Object*)bystander, (Object*)farBlock, (Object*)farTank})
        world.addObject(o);
    drawFrame(10); // a narrow view of the middle of face 4
    EXPECT_EQ(farBlock->draws, 0);
    EXPECT_EQ(farTank->draws, 1); // not known to stay inside its box
    EXPECT_EQ(bystander->lights, std::set<int>{4});

    // Lit by face 4 alone up to 60 degrees, by face 3 alone from 30 degrees on, by both between;
    // at rest on face 3 after the 18th step.
    world.startRotation(0, 0);
    const int steps[] = {3, 8, 14, 18};
    const std::set<int> expected[] = {{4}, {3, 4}, {3}, {3}};
    for (int i = 0, done = 0; i < 4; ++i) {
        for (; done < steps[i]; ++done)
            world.update(1.0f / 60);
        drawFrame(10);
        EXPECT_EQ(rider->lights, expected[i]) << "after " << steps[i] << " steps";
        EXPECT_EQ(bystander->lights, std::set<int>{4});
    }
    EXPECT_EQ(rider->face, 3);
    EXPECT_EQ(GlTestWindow::glErrors(), "");
}

} // namespace
