#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <cmath>

#include "math/constants.h"
#include "math/faces.h"
#include "support/glwindow.h"
#include "support/shadowprobe.h"
#include "view/worldcamera.h"
#include "world/world.h"

namespace {

// The cube as the game sees it: a 3x3x3 world of 28-unit cubies (half extent 42), drawn with
// the game screen's GL state through a world camera looking straight at face 4 (+Z).
class WorldRender : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.ok()) << window.error();
        ASSERT_GE(GlTestWindow::stencilBits(), 1);
        camera.zoom(world.halfExtent() * 3.2f);
    }

    void drawFrame() {
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
        gluPerspective(65, 800.0 / 600.0, 1, 400);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.apply();
        world.draw(nullptr, nullptr);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glFinish();
    }

    // Window pixel of a world point in the frame drawn last.
    GlTestWindow::Pixel pixelAt(const Vec3f& p) {
        double x, y, z;
        gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &x, &y, &z);
        return window.pixel(static_cast<int>(x), static_cast<int>(y));
    }

    void project(const Vec3f& p, double& x, double& y) {
        double z;
        gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &x, &y, &z);
    }

    GlTestWindow window;
    World world{3, 28};
    WorldCamera camera;
    double modelView[16], projection[16];
    GLint viewport[4];
};

int brightest(const GlTestWindow::Pixel& p) {
    return std::max({p.r, p.g, p.b});
}

TEST_F(WorldRender, StickersShowTheirFaceColourUnderTheirOwnLight) {
    drawFrame();
    EXPECT_EQ(GlTestWindow::glErrors(), "");
    float h = world.halfExtent();
    Vec3f light(0, 0, 2 * h);
    // Red (face 4's sticker colour): global ambient 0.3 plus light 4's diffuse 0.7 by the
    // cosine of the light's angle, and nothing from the other five lights. Lighting is per
    // vertex, so a sticker's centre takes the mean of one diagonal's corners.
    auto intensity = [&](const Vec3f& at) {
        Vec3f toLight = light - at;
        toLight.normalize();
        return std::min(1.0f, 0.3f + 0.7f * toLight.z());
    };
    float corner = 14 - world.cubies.front()->bevel;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) {
            Vec3f centre(i * 28.0f, j * 28.0f, h);
            GlTestWindow::Pixel p = pixelAt(centre);
            float expected = (intensity(centre + Vec3f(-corner, -corner, 0)) +
                              intensity(centre + Vec3f(corner, corner, 0))) *
                             0.5f * 255;
            EXPECT_NEAR(p.r, expected, 6) << i << "," << j;
            EXPECT_LT(p.g, 10);
            EXPECT_LT(p.b, 10);
        }
}

TEST_F(WorldRender, EveryFaceShowsItsStickerColour) {
    // Turning the camera brings each face in front: the colour table of a fresh cube.
    const float expected[6][3] = {{0, 0, 1}, {0, 1, 0}, {1, 1, 1},
                                  {1, 1, 0}, {1, 0, 0}, {1, 0.5, 0}};
    for (int f = 0; f < 6; ++f) {
        Vec3f axis;
        float angle = 0;
        faceOrientation(f, axis, angle);
        camera.transform = Matrix4f::rotation(static_cast<float>(-angle * PI / 180), axis);
        drawFrame();
        GlTestWindow::Pixel p = pixelAt(faceNormal(f) * world.halfExtent());
        EXPECT_EQ(p.r > 128, expected[f][0] == 1) << "face " << f;
        EXPECT_EQ(p.g > 200, expected[f][1] == 1) << "face " << f;
        EXPECT_EQ(p.g > 60, expected[f][1] > 0) << "face " << f;
        EXPECT_EQ(p.b > 128, expected[f][2] == 1) << "face " << f;
    }
}

TEST_F(WorldRender, OverlappingShadowsDarkenOnlyOnce) {
    float h = world.halfExtent();
    Vec3f centre(0, 0, h);
    world.addObject(new ShadowProbe(centre, &world, -10, 2, -5, 5));
    world.addObject(new ShadowProbe(centre, &world, -4, 8, -5, 5));
    drawFrame();
    int lit = brightest(pixelAt(Vec3f(11, 0, h)));
    int onlyFirst = brightest(pixelAt(Vec3f(-8, 0, h)));
    int both = brightest(pixelAt(Vec3f(-1, 0, h)));
    int onlySecond = brightest(pixelAt(Vec3f(6, 0, h)));
    EXPECT_GT(lit, 200);
    // Black at 80 % opacity leaves a fifth of the lit colour.
    EXPECT_NEAR(onlyFirst, lit * 0.2, 8);
    EXPECT_NEAR(onlySecond, lit * 0.2, 8);
    EXPECT_NEAR(both, onlyFirst, 2);
}

TEST_F(WorldRender, ShadowsStayInsideTheirFaceSquare) {
    // Seen at a slant, so that what lies beyond face 4's edge is on screen.
    camera.transform = Matrix4f::rotation(0.5f, 1, 1, 0);
    drawFrame();
    std::vector<unsigned char> plain = window.readRgb();
    float h = world.halfExtent();
    world.addObject(new ShadowProbe(Vec3f(0, 0, h), &world, 20, 70, -60, 60, 3));
    drawFrame();
    std::vector<unsigned char> shadowed = window.readRgb();
    EXPECT_EQ(GlTestWindow::glErrors(), "");

    // The face square inset by the bevel, 0.05 above the face, as it appears on screen.
    float limit = h - world.cubies.front()->bevel + 0.5f;
    double corners[4][2];
    const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int c = 0; c < 4; ++c)
        project(Vec3f(signs[c][0] * limit, signs[c][1] * limit, h + 0.05f), corners[c][0],
                corners[c][1]);
    auto inside = [&](double x, double y) {
        for (int c = 0; c < 4; ++c) {
            const double* a = corners[c];
            const double* b = corners[(c + 1) % 4];
            if ((b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]) < 0)
                return false;
        }
        return true;
    };
    int darkened = 0, outside = 0;
    for (int y = 0; y < GlTestWindow::HEIGHT; ++y)
        for (int x = 0; x < GlTestWindow::WIDTH; ++x) {
            size_t i = (static_cast<size_t>(y) * GlTestWindow::WIDTH + x) * 3;
            if (plain[i] == shadowed[i] && plain[i + 1] == shadowed[i + 1] &&
                plain[i + 2] == shadowed[i + 2])
                continue;
            ++darkened;
            outside += inside(x + 0.5, y + 0.5) ? 0 : 1;
        }
    EXPECT_GT(darkened, 2000); // the shadow is there...
    EXPECT_EQ(outside, 0);     // ...and only on the face
}

TEST_F(WorldRender, LayerTurnFramesStayInsideTheCubeAndRaiseNoError) {
    float h = world.halfExtent();
    world.addObject(new ShadowProbe(Vec3f(-28, 0, h), &world, -6, 6, -6, 6, 4));
    world.addObject(new SolidBlock(Vec3f(0, 28, h), &world, 8, 8, 8));
    camera.transform = Matrix4f::rotation(0.6f, 1, -1, 0.3f);
    world.startRotation(0, 0); // X layer 0 carries the probe over to face 3
    // The turning layer sweeps through the cube's circumscribed sphere and never beyond it.
    double cx, cy, rx, ry;
    for (int frame = 0; frame <= 18; ++frame) {
        drawFrame();
        ASSERT_EQ(GlTestWindow::glErrors(), "") << "frame " << frame;
        project(Vec3f(0, 0, 0), cx, cy);
        double radius = 0;
        for (int k = 0; k < 200; ++k) {
            float a = k * 0.0314159f * 2, b = k * 0.37f;
            Vec3f onSphere(std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b));
            project(onSphere * (h * std::sqrt(3.0f)), rx, ry);
            radius = std::max(radius, std::hypot(rx - cx, ry - cy));
        }
        std::vector<unsigned char> rgb = window.readRgb();
        int cubePixels = 0, strays = 0;
        for (int y = 0; y < GlTestWindow::HEIGHT; ++y)
            for (int x = 0; x < GlTestWindow::WIDTH; ++x) {
                const unsigned char* p =
                    &rgb[(static_cast<size_t>(y) * GlTestWindow::WIDTH + x) * 3];
                bool background =
                    std::abs(p[0] - 51) < 3 && std::abs(p[1] - 178) < 3 && std::abs(p[2] - 229) < 3;
                if (background)
                    continue;
                ++cubePixels;
                strays += std::hypot(x - cx, y - cy) > radius + 2 ? 1 : 0;
            }
        EXPECT_GT(cubePixels, 20000) << "frame " << frame;
        EXPECT_EQ(strays, 0) << "frame " << frame;
        world.update(1.0f / 60);
    }
    EXPECT_FALSE(world.isRotating);
    EXPECT_TRUE(world.validate());
}

} // namespace
