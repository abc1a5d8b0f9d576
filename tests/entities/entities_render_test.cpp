#include <gtest/gtest.h>

#include <GL/glu.h>
#include <filesystem>

#include "entities/explosion.h"
#include "entities/itembox.h"
#include "entities/itemtextures.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "entitytesting.h"
#include "math/glmatrix.h"
#include "platform/pngwriter.h"
#include "support/glwindow.h"
#include "view/followcamera.h"
#include "world/cube.h"

namespace {

class EntitiesRender : public EntityTest {
protected:
    void SetUp() override { ASSERT_TRUE(window.ok()) << window.error(); }

    // The game screen's view through a follow camera, then an item icon as the heads-up display
    // draws one (100 pixels square at the bottom left) and a display tank at the bottom right,
    // unlit.
    void drawFrame() {
        window.resetState();
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
        glShadeModel(GL_SMOOTH);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glMatrixMode(GL_PROJECTION);
        gluPerspective(camera.fov, 800.0 / 600.0, 0.5, 200);
        camera.apply();
        world.draw(&camera.viewMatrix, &camera.up);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 0, 600, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glPushMatrix();
        glScalef(100, 100, 1);
        Item(ITEM_NUKE).drawIcon();
        glPopMatrix();
        // The welcome screen's display tank has no world, and draws all the same.
        Tank display(Vec3f(0, 1, 0), nullptr);
        display.update(TICK);
        display.useItem();
        display.rotateLayer(0, true);
        glTranslatef(700, 50, 0);
        glScalef(30, 30, 0.01f);
        glRotatef(90, 1, 0, 0); // seen from above: its up (+Y) out of the screen
        glMultMatrix(display.matrix);
        display.draw(false);
        glFinish();
    }

    // How many pixels of the 7x7 square about the world point pass `test`.
    template <typename Test> int pixelsNear(const Vec3f& p, Test test) {
        GLint viewport[4] = {0, 0, 800, 600};
        double x, y, z;
        gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &x, &y, &z);
        int count = 0;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                count += test(window.pixel(static_cast<int>(x) + dx, static_cast<int>(y) + dy));
        return count;
    }

    GlTestWindow window;
    FollowCamera camera;
    double modelView[16], projection[16];
};

// Face 4 (red): a red tank that drove up the face and turned right on the spot (its tread marks
// lie to its right), its shell in the air, a blast ahead and an item box.
TEST_F(EntitiesRender, TankShellBlastAndBoxOnTheCube) {
    Tank* tank = new Tank(Vec3f(0, -30, 42), &world);
    tank->colour = FACE_COLORS[INITIAL_FACE_COLORS[4]];
    world.addObject(tank);
    tank->velocity = Vec3f(0, 10, 0);
    tank->setDrive(1);
    for (int tick = 0; tick < 45; ++tick)
        tank->update(TICK);
    tank->turn(1);
    tank->setFireButton(true);
    Object* shell = objectsOfType(world, PROJECTILE).at(0);
    for (int tick = 0; tick < 12; ++tick)
        shell->update(TICK);
    Explosion* blast = new Explosion(tank->position + Vec3f(30, 8, 0), &world, 8);
    world.addObject(blast);
    for (int tick = 0; tick < 3; ++tick)
        blast->update(TICK);
    Vec3f box = tank->position + Vec3f(22, -9, 0);
    world.addObject(new ItemBox(box, &world));
    for (int tick = 0; tick < 30; ++tick)
        camera.setTarget(tank);

    drawFrame();
    EXPECT_EQ(GlTestWindow::glErrors(), "");
    std::string error;
    auto picture = std::filesystem::path(QUORL_BINARY).parent_path(); // the build folder
    EXPECT_TRUE(
        writePng((picture / "entities_render.png").string(), 800, 600, window.readRgb(), error))
        << error;
    using Pixel = GlTestWindow::Pixel;
    // Glowing yellow (sparks may cross it), red, black, and stickers other than the face's red.
    auto yellow = [](Pixel p) { return p.r > 230 && p.g > 210 && p.b < 200; };
    auto red = [](Pixel p) { return p.r > 100 && p.g < p.r / 3 && p.b < p.r / 3; };
    auto black = [](Pixel p) { return std::max({p.r, p.g, p.b}) < 60; };
    EXPECT_GT(pixelsNear(blast->position + Vec3f(0, 0, 1), yellow), 35);
    EXPECT_EQ(pixelsNear(tank->position + Vec3f(0, 0, tank->halfHeight), red), 49);
    EXPECT_GT(pixelsNear(shell->position, black), 30);
    EXPECT_GT(pixelsNear(box + Vec3f(0, 0, 1.625f), [](Pixel p) { return p.g > 60; }), 10);
    // The right tread's marks: dark just behind the tank, fading further back.
    auto darkerThan = [](int r) { return [r](Pixel p) { return p.r < r; }; };
    Vec3f tread = tank->position + Vec3f(0.72f, 0, 0);
    EXPECT_EQ(pixelsNear(tread - Vec3f(0, 1.5f, 0), darkerThan(60)), 49);
    EXPECT_EQ(pixelsNear(tread - Vec3f(0, 4, 0), darkerThan(90)), 0);
    EXPECT_EQ(pixelsNear(tread - Vec3f(0, 4, 0), darkerThan(200)), 49);
    // The icon's centre shows its texture's centre texel, in white light.
    const ItemTextures::Image& nuke = ItemTextures::instance().images[ITEM_NUKE];
    const unsigned char* texel =
        nuke.pixels.get() + ((nuke.height / 2) * nuke.width + nuke.width / 2) * 4;
    Pixel icon = window.pixel(50, 50);
    EXPECT_TRUE(std::abs(icon.r - texel[0]) < 40 && std::abs(icon.g - texel[1]) < 40 &&
                std::abs(icon.b - texel[2]) < 40);
}

// A tank leaves its model out of a view only when none of it could show there: the picture
// with that test is the picture without it (a tank without a world cannot ask). Tanks stand
// across the left edge of the view, from well inside to well outside, at headings that sweep
// their barrels and tread marks over it.
TEST_F(EntitiesRender, ATankLeftOutOfTheViewWouldNotHaveShown) {
    Tank* followed = new Tank(Vec3f(0, -20, 42), &world);
    world.addObject(followed);
    for (int tick = 0; tick < 30; ++tick)
        camera.setTarget(followed);
    int shown = 0, hidden = 0;
    for (float x = -34; x <= -4; x += 3) {
        for (int heading = 0; heading < 4; ++heading) {
            Tank* probe = new Tank(Vec3f(x, -2, 42), &world);
            world.addObject(probe);
            probe->turn(static_cast<float>(heading) * 0.8f);
            probe->setDrive(1);
            for (int tick = 0; tick < 20; ++tick)
                probe->update(TICK); // leaves tread marks behind it
            // With the test, without it, and without the model at all.
            std::vector<unsigned char> pictures[3];
            for (int pass = 0; pass < 3; ++pass) {
                probe->world = pass == 0 ? &world : nullptr;
                probe->visible = pass < 2;
                drawFrame();
                pictures[pass] = window.readRgb();
            }
            probe->world = &world;
            ASSERT_EQ(pictures[0], pictures[1]) << "x " << x << ", heading " << heading;
            (pictures[0] == pictures[2] ? hidden : shown)++;
            world.removeObject(probe);
            delete probe;
        }
    }
    EXPECT_GT(shown, 4);  // the sweep covers models in view...
    EXPECT_GT(hidden, 4); // ...and models out of it
}

} // namespace
