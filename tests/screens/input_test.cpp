#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include "screens/shell.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"

namespace {

class ShellInput : public ::testing::Test {
protected:
    void SetUp() override {
        keys = KeyboardState();
        mouse = MouseState();
        previous = currentScreen;
        currentScreen = &screen;
    }
    void TearDown() override { currentScreen = previous; }

    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen screen{"s", &log};
    Screen* previous = nullptr;
};

TEST_F(ShellInput, KeysAreCaseSensitiveAndReleasedByTheDeliveredCharacter) {
    fake.modifiers = GLUT_ACTIVE_SHIFT;
    onKeyboard('A', 10, 20);
    EXPECT_TRUE(keys.isKeyDown('A'));
    EXPECT_FALSE(keys.isKeyDown('a'));
    EXPECT_TRUE(keys.isModifierDown(0));
    fake.modifiers = 0;
    onKeyboardUp('a', 10, 20); // Shift let go first: the release names 'a'
    EXPECT_TRUE(keys.isKeyDown('A'));
    EXPECT_FALSE(keys.isModifierDown(0));
    onKeyboardUp('A', 10, 20);
    EXPECT_FALSE(keys.isKeyDown('A'));
    onKeyboard(255, 0, 0);
    EXPECT_TRUE(keys.isKeyDown(255));
    EXPECT_EQ(log.front(), "s:keyboard A 10,20");
    EXPECT_EQ(log[1], "s:keyboardUp a");
}

TEST_F(ShellInput, ModifierBitsMapToShiftCtrlAlt) {
    fake.modifiers = GLUT_ACTIVE_CTRL | GLUT_ACTIVE_ALT;
    keys.setKey('x', true);
    EXPECT_FALSE(keys.isModifierDown(0));
    EXPECT_TRUE(keys.isModifierDown(1));
    EXPECT_TRUE(keys.isModifierDown(2));
    EXPECT_FALSE(keys.isModifierDown(3));
    EXPECT_FALSE(keys.isModifierDown(-1));
}

TEST_F(ShellInput, EveryEventMovesThePointerSoDeltasSpanAnyEventKind) {
    onMotion(10, 10);
    onMotion(15, 7);
    EXPECT_EQ(mouse.dx(), 5);
    EXPECT_EQ(mouse.dy(), -3);
    onKeyboard('k', 20, 27);
    EXPECT_EQ(mouse.dx(), 5);
    EXPECT_EQ(mouse.dy(), 20);
    onSpecial(GLUT_KEY_LEFT, 20, 27);
    EXPECT_EQ(mouse.dx(), 0);
    EXPECT_FALSE(keys.isKeyDown(static_cast<unsigned char>(GLUT_KEY_LEFT)));
}

TEST_F(ShellInput, MouseButtonsAreTrackedAndUnknownButtonsStillForwarded) {
    onMouse(0, GLUT_DOWN, 3, 4);
    onMouse(1, GLUT_DOWN, 3, 4);
    EXPECT_TRUE(mouse.leftDown);
    EXPECT_TRUE(mouse.middleDown);
    EXPECT_FALSE(mouse.rightDown);
    onMouse(0, GLUT_UP, 3, 4);
    EXPECT_FALSE(mouse.leftDown);
    onMouse(7, GLUT_DOWN, 9, 9); // a wheel step
    EXPECT_EQ(mouse.x, 9);
    EXPECT_FALSE(mouse.leftDown);
    EXPECT_TRUE(mouse.middleDown);
    EXPECT_EQ(log.back(), "s:mouse 7 0 9,9");
}

TEST_F(ShellInput, ReshapeStoresTheSizeBeforeForwarding) {
    onReshape(640, 0);
    EXPECT_EQ(windowWidth, 640);
    EXPECT_EQ(windowHeight, 0);
    EXPECT_EQ(log.back(), "s:reshape 640x0");
    EXPECT_FLOAT_EQ(aspectRatio(640, 0), 640.0f); // a minimised window divides by 1
    EXPECT_FLOAT_EQ(aspectRatio(800, 600), 800.0f / 600.0f);
    onDisplay();
    EXPECT_EQ(log.back(), "s:display");
}

} // namespace

namespace {

// Before GLUT is initialised (no window yet) input and screen switches still work: GLUT would
// otherwise end the process on the first call.
TEST(ShellWithoutWindow, KeysAndSwitchesWorkBeforeGlutStarts) {
    KeyboardState state;
    state.setKey('A', true);
    EXPECT_TRUE(state.isKeyDown('A'));
    EXPECT_FALSE(state.isModifierDown(0));
    std::vector<std::string> log;
    RecordingScreen screen("s", &log);
    Screen* previous = currentScreen;
    switchScreen(&screen);
    screen.display(); // arms a timer through GLUT, which is not running
    EXPECT_EQ(currentScreen, &screen);
    EXPECT_EQ(log.front(), "s:activate");
    currentScreen = previous;
}

} // namespace
