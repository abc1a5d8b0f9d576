#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <cmath>
#include <string>
#include <vector>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "input/keyboardinput.h"
#include "screens/player.h"
#include "screens/shell.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"
#include "world/world.h"

namespace {

constexpr int SPECIAL = KeyboardInput::SPECIAL;

// A keyboard player with its tank on face 4 of a fresh world, ticked as the game ticks players.
struct KeyboardMatch {
    KeyboardMatch() : keys(KeyboardInput::tankKeys()), player(&keys) {
        player.tank = world.addTank(4);
        player.world = &world;
    }
    void tick(float dt = 1.0f / 60) {
        player.update(dt);
        world.update(dt);
    }
    void tap(int key) {
        keys.press(key);
        tick();
        keys.release(key);
        tick();
    }
    // Before the world, which takes the hooks that make its tanks when it is made.
    struct Hooks {
        Hooks() { installEntityHooks(); }
    } hooks;
    World world{3, 28};
    KeyboardInput keys;
    Player player;
};

// The keys go through the very control update a pad goes through: the arrows are a stick at
// full deflection, Space and Tab the triggers (once per press), and each layer key asks the tank
// for the turn the pad's button of the same place asks for.
TEST(KeyboardPlayer, KeysDriveTurnFireSwitchAndTurnLayersLikeAPad) {
    KeyboardMatch m;
    Tank& tank = *m.player.tank;
    m.keys.press(SPECIAL + GLUT_KEY_UP);
    m.tick();
    EXPECT_EQ(tank.driveDirection, 1);
    m.keys.release(SPECIAL + GLUT_KEY_UP);
    m.keys.press(SPECIAL + GLUT_KEY_DOWN);
    m.tick();
    EXPECT_EQ(tank.driveDirection, 2);
    m.keys.release(SPECIAL + GLUT_KEY_DOWN);
    m.tick();
    EXPECT_EQ(tank.driveDirection, 0);

    // Left at full deflection turns counter-clockwise seen from above, at the full turn rate.
    Vec3f before = tank.forward;
    m.keys.press(SPECIAL + GLUT_KEY_LEFT);
    m.tick(0.1f);
    m.keys.release(SPECIAL + GLUT_KEY_LEFT);
    float turned = std::atan2(cross(before, tank.forward).dot(tank.up), before.dot(tank.forward));
    EXPECT_NEAR(turned, tank.turnRate * 0.1f, 1e-4f);

    // Space held for many ticks uses one item; a second press the next. Tab moves the selection
    // once per press.
    ASSERT_EQ(tank.itemCount, 3);
    m.keys.press(' ');
    for (int i = 0; i < 10; ++i)
        m.tick();
    EXPECT_EQ(tank.itemCount, 2);
    m.keys.release(' ');
    m.tick();
    int selected = tank.currentItem;
    m.keys.press('\t');
    for (int i = 0; i < 10; ++i)
        m.tick();
    EXPECT_EQ(tank.currentItem, tank.findSlot(selected + 1, false));
    m.keys.release('\t');
    m.tick();

    // Each layer key: the turn the tank's rotateLayer gives for that axis choice and way.
    const struct {
        int key, axisChoice;
        bool direction;
    } turns[] = {{SPECIAL + GLUT_KEY_INSERT, 0, true},  {127, 0, false},
                 {SPECIAL + GLUT_KEY_HOME, 1, true},    {SPECIAL + GLUT_KEY_END, 1, false},
                 {SPECIAL + GLUT_KEY_PAGE_UP, 2, true}, {SPECIAL + GLUT_KEY_PAGE_DOWN, 2, false}};
    for (const auto& turn : turns) {
        KeyboardMatch keyed, direct;
        keyed.keys.press(turn.key);
        keyed.player.update(1.0f / 60);
        direct.player.tank->rotateLayer(turn.axisChoice, turn.direction);
        ASSERT_TRUE(keyed.world.isRotating) << turn.key;
        EXPECT_EQ(keyed.world.rotatingLayer, direct.world.rotatingLayer) << turn.key;
        EXPECT_EQ(keyed.world.rotationDirection, direct.world.rotationDirection) << turn.key;
    }
}

// Releases in any order, releases of keys never pressed, a tap between two polls and a lost
// keyboard focus: afterwards nothing is held.
TEST(KeyboardPlayer, NoKeyStaysHeld) {
    KeyboardInput keys(KeyboardInput::tankKeys());
    keys.press(SPECIAL + GLUT_KEY_UP);
    keys.press(SPECIAL + GLUT_KEY_LEFT);
    keys.press(' ');
    keys.update();
    keys.release(SPECIAL + GLUT_KEY_UP); // first pressed, first released
    keys.update();
    EXPECT_EQ(keys.leftStick().y, 0.0f);
    EXPECT_EQ(keys.leftStick().x, -1.0f);
    EXPECT_TRUE(keys.release(127)); // never pressed: bound, and nothing changes
    EXPECT_FALSE(keys.release('z'));
    keys.release(' ');
    keys.release(SPECIAL + GLUT_KEY_LEFT);
    keys.update();
    EXPECT_EQ(keys.leftStick().x, 0.0f);
    EXPECT_EQ(keys.triggerA(), 0.0f);

    keys.press('\t'); // pressed and released between two polls: read once, then gone
    keys.release('\t');
    keys.update();
    EXPECT_EQ(keys.triggerB(), 1.0f);
    keys.update();
    EXPECT_EQ(keys.triggerB(), 0.0f);

    // Another window takes the keyboard while keys are down: the shell hears of it at the next
    // frame and the screen lets go; the key-up that never comes is not needed.
    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen screen("game", &log);
    Screen* saved = currentScreen;
    currentScreen = &screen;
    ::keys.setKey('x', true);
    beginFrame();
    fake.keyboardFocus = false;
    beginFrame();
    beginFrame();
    fake.keyboardFocus = true;
    beginFrame();
    currentScreen = saved;
    EXPECT_EQ(log, std::vector<std::string>{"game:keyboardFocusLost"});
    EXPECT_FALSE(::keys.isKeyDown('x'));
}

} // namespace
