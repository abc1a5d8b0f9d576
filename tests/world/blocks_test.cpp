#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "assets/glm.h"
#include "math/constants.h"
#include "math/glmatrix.h"
#include "platform/pngwriter.h"
#include "support/glwindow.h"
#include "support/vecexpect.h"
#include "view/worldcamera.h"
#include "world/box.h"
#include "world/obstacle.h"
#include "world/world.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::unique_ptr<Obstacle> quietObstacle(const Vec3f& position, World* world,
                                        std::string* printed = nullptr) {
    CaptureStdout();
    auto obstacle = std::make_unique<Obstacle>(position, world);
    std::string output = GetCapturedStdout();
    if (printed)
        *printed = output;
    return obstacle;
}

void expectBounds(const AxisAlignedBoundingBox& box, const Vec3f& low, const Vec3f& high) {
    const float* b = box.getIntervals();
    expectVecNear(Vec3f(b[0], b[2], b[4]), low, 1e-4f);
    expectVecNear(Vec3f(b[1], b[3], b[5]), high, 1e-4f);
}

TEST(Box, StandsOnItsFaceWithItsBoxCentredAboveItsBaseAndKeepsItThroughTurns) {
    World world(3, 10); // faces 15 from the centre
    Box* box = new Box(Vec3f(15, 1, 2), &world, 10, 10, 5);
    EXPECT_EQ(box->type, BOX);
    EXPECT_EQ(box->colour[0], 0.2f);
    EXPECT_EQ(box->colour[3], 1.0f);
    expectBounds(box->boundingBox, Vec3f(15, -4, -3), Vec3f(20, 6, 7));
    box->setSize(4, 6, 8); // 8 along x, centred 4 above the face
    expectBounds(box->boundingBox, Vec3f(15, -2, 0), Vec3f(23, 4, 4));

    // A quarter turn of the layer x > 5 about +x keeps it on face 0, which lies on the axis,
    // but turns it about the face normal, box and all.
    world.addObject(box);
    world.startRotation(2, 0);
    for (int tick = 0; tick < 18; ++tick) {
        world.update(1 / 60.0f);
        EXPECT_TRUE(world.validate());
        expectVecNear(box->boundingBox.position, box->position + box->up * 4, 1e-4f);
    }
    EXPECT_FALSE(world.isRotating);
    expectVecNear(box->position, Vec3f(15, -2, 1), 1e-4f);
    // Width 4 now lies along y, depth 6 along z, and the box still stands on the face.
    expectBounds(box->boundingBox, Vec3f(15, -4, -2), Vec3f(23, 0, 4));
}

// A shell falling from 12 to 2 units above the face at `base` in one step, through the top of
// the rock if the rock stands there.
bool dropOnto(Obstacle& obstacle, const Vec3f& base, const Vec3f& up, float& time) {
    SweptSphere shell{base + up * 2, up * -600, Vec3f(), 0.4f};
    Vec3f normal;
    CaptureStdout();
    bool hit = obstacle.mesh->findCollision(shell, 1 / 60.0f, time, normal);
    GetCapturedStdout();
    return hit;
}

TEST(Obstacle, IsTheModelTenUnitsWideWhoseMeshTurnsWithTheLayerThatCarriesIt) {
    World world(3, 28);
    std::string printed;
    Obstacle* carried = quietObstacle(Vec3f(0, 0, 42), &world, &printed).release();
    world.addObject(carried);
    EXPECT_EQ(carried->type, OBSTACLE);
    float dimensions[3];
    glmExtents(carried->model, dimensions);
    EXPECT_NEAR(dimensions[0], 10, 1e-4f);
    EXPECT_TRUE(carried->mesh->validate());
    // The hierarchy's trace, then the model's size before scaling.
    EXPECT_EQ(printed.substr(printed.find("numSame: 0\n")), "numSame: 0\nsize: 0.952236, "
                                                            "0.734712, 0.653770\n");
    expectBounds(carried->boundingBox, Vec3f(-9.5f, -9, 33), Vec3f(9.5f, 9, 57));

    float before = 0, after = 0, there = 0;
    ASSERT_TRUE(dropOnto(*carried, Vec3f(0, 0, 42), Z_AXIS, before));
    CaptureStdout();
    world.startRotation(1, 0); // the middle x layer: face 4 goes to face 3
    for (int tick = 0; tick < 18; ++tick)
        world.update(1 / 60.0f);
    EXPECT_NE(GetCapturedStdout().find("\nrotation\n"), std::string::npos);
    EXPECT_TRUE(world.validate());
    EXPECT_EQ(carried->face, 3);

    // Nothing is left where it stood; it is where it went, as if it had been put there.
    EXPECT_FALSE(dropOnto(*carried, Vec3f(0, 0, 42), Z_AXIS, after));
    ASSERT_TRUE(dropOnto(*carried, Vec3f(0, -42, 0), NEG_Y_AXIS, after));
    std::unique_ptr<Obstacle> placed = quietObstacle(Vec3f(0, -42, 0), nullptr);
    ASSERT_TRUE(dropOnto(*placed, Vec3f(0, -42, 0), NEG_Y_AXIS, there));
    EXPECT_NEAR(after, there, 1e-4f);
    EXPECT_NEAR(after, before, 1e-4f);
}

class BlockDrawing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.ok()) << window.error(); }

    // The picture drawn in white, unlit, under a top-down orthographic view of face 4.
    std::vector<unsigned char> drawnPicture(const std::function<void()>& draw) {
        window.resetState();
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glOrtho(-60, 60, -45, 45, -200, 200);
        glMatrixMode(GL_MODELVIEW);
        glColor3f(1, 1, 1);
        draw();
        return window.readRgb();
    }

    int drawnPixels(const std::function<void()>& draw) {
        std::vector<unsigned char> rgb = drawnPicture(draw);
        return static_cast<int>(std::count_if(rgb.begin(), rgb.end(), [](auto c) { return c; }));
    }

    GlTestWindow window;
};

TEST_F(BlockDrawing, BlocksCastShadowsAndObstaclesNoneAndShareOneDisplayList) {
    Box box(Vec3f(0, 0, 42), nullptr, 20, 10, 4);
    std::unique_ptr<Obstacle> first = quietObstacle(Vec3f(0, 0, 42), nullptr);
    std::unique_ptr<Obstacle> second = quietObstacle(Vec3f(10, 0, 42), nullptr);
    // 20 x 10 units of 800 / 120 pixels each, three channels lit.
    EXPECT_NEAR(drawnPixels([&] { box.draw(true); }), 3 * 20 * 10 * 44.4, 1200);
    EXPECT_EQ(drawnPixels([&] { first->draw(true); }), 0);
    int rockPixels = drawnPixels([&] { first->draw(false); });
    EXPECT_GT(rockPixels, 6000);
    unsigned int list = Obstacle::displayList;
    EXPECT_NE(list, 0u);
    EXPECT_EQ(drawnPixels([&] { second->draw(false); }), rockPixels);
    EXPECT_EQ(Obstacle::displayList, list);
    EXPECT_EQ(second->model->facetnorms, nullptr); // never compiled from
    EXPECT_EQ(GlTestWindow::glErrors(), "");
}

TEST_F(BlockDrawing, OnTheMapBlocksShowFiveUnitsTallUpTo100DegreesFromTheViewer) {
    Box box(Vec3f(0, 0, 42), nullptr, 10, 10, 2);
    Box slab(Vec3f(0, 0, 42), nullptr, 10, 10, Box::MAP_HEIGHT);
    auto seenFrom = [](double degrees) {
        return Vec3f(static_cast<float>(std::sin(degrees * PI / 180)), 0,
                     static_cast<float>(std::cos(degrees * PI / 180)));
    };
    // Seen from the side (z up the window), with the face plane at the bottom edge.
    auto fromTheSide = [&](const std::function<void()>& draw) {
        return drawnPicture([&] {
            glRotatef(-90, 1, 0, 0);
            glTranslatef(0, 0, -42);
            draw();
        });
    };
    std::vector<unsigned char> onMap = fromTheSide([&] { box.drawOnMap(seenFrom(95)); });
    std::vector<unsigned char> expected = fromTheSide([&] {
        glMultMatrix(slab.matrix);
        slab.draw(false);
    });
    // 10 x 5 units of 800 / 120 pixels each, three channels in the block's grey.
    EXPECT_NEAR(std::count(onMap.begin(), onMap.end(), 51), 3 * 10 * 5 * 44.4, 300);
    EXPECT_TRUE(onMap == expected);
    EXPECT_EQ(box.height, 2);
    EXPECT_EQ(drawnPixels([&] { box.drawOnMap(seenFrom(105)); }), 0);
    EXPECT_EQ(GlTestWindow::glErrors(), "");
}

// The game's view of a face with a block and the rock on it, saved for a look and read back.
TEST_F(BlockDrawing, ASceneShowsTheBlockInItsColourAndTheRockInGrey) {
    World world(3, 28);
    Box* block = new Box(Vec3f(20, 12, 42), &world, 12, 8, 6);
    block->colour = Vec4f(0.9f, 0.8f, 0.1f, 1);
    world.addObject(block);
    world.addObject(quietObstacle(Vec3f(-14, -10, 42), &world).release());
    WorldCamera camera;
    camera.zoom(110);
    camera.rotate(static_cast<float>(-40 * PI / 180), 1, 0, 0);
    window.resetState();
    glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(65, 800.0 / 600.0, 1, 400);
    glMatrixMode(GL_MODELVIEW);
    camera.apply();
    CaptureStdout(); // the world reports its lights
    world.draw(nullptr, nullptr);
    GetCapturedStdout();
    EXPECT_EQ(GlTestWindow::glErrors(), "");
    std::string error, path = testing::TempDir() + "quorl_blocks_scene.png";
    EXPECT_TRUE(writePng(path, GlTestWindow::WIDTH, GlTestWindow::HEIGHT, window.readRgb(), error))
        << error;

    double modelView[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    auto pixelAt = [&](const Vec3f& p) {
        gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &x, &y, &z);
        return window.pixel(static_cast<int>(x), static_cast<int>(y));
    };
    GlTestWindow::Pixel top = pixelAt(Vec3f(20, 12, 48)); // the block's lit top: yellow
    EXPECT_GT(top.r, 2 * top.b);
    EXPECT_GT(top.g, 2 * top.b);
    GlTestWindow::Pixel rock = pixelAt(Vec3f(-14, -10, 44)); // the rock: grey, not the sticker
    EXPECT_LT(std::abs(rock.r - rock.g), 20);
    EXPECT_LT(std::abs(rock.g - rock.b), 20);
    EXPECT_GT(rock.r, 40);
}

} // namespace
