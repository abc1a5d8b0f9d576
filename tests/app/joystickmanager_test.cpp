#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "app/joystickmanager.h"
#include "support/fakejoystickbackend.h"

namespace {

using Device = FakeJoystickBackend::Device;

// A manager on a fake back end, with what it printed at start-up.
struct Started {
    explicit Started(std::vector<Device> devices) {
        auto owned = std::make_unique<FakeJoystickBackend>();
        backend = owned.get();
        backend->devices = std::move(devices);
        testing::internal::CaptureStdout();
        manager = std::make_unique<JoystickManager>(std::move(owned));
        fflush(stdout);
        output = testing::internal::GetCapturedStdout();
    }

    FakeJoystickBackend* backend; // owned by the manager
    std::unique_ptr<JoystickManager> manager;
    std::string output;
};

std::string capture(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(JoystickManager, StartUpReportsTheCountAndADotPerGamepad) {
    {
        Started none({});
        EXPECT_EQ(none.output, "NumJoysticks = 0\nInitializing Joysticks\n");
        EXPECT_EQ(none.manager->getCount(), 0);
        EXPECT_EQ(none.manager->getGamepad(0), nullptr);
        EXPECT_TRUE(none.manager->names().empty());
    }
    Device broken = FakeJoystickBackend::pad("broken");
    broken.capsError = JOYERR_UNPLUGGED;
    Device named = FakeJoystickBackend::pad("Generic USB Pad");
    named.hasName = true;
    named.name = "Arcade Stick";
    Started three(
        {FakeJoystickBackend::pad("Pad A"), broken, named, FakeJoystickBackend::pad("Pad C")});
    EXPECT_EQ(three.output, "NumJoysticks = 3\nInitializing Joysticks...\n");
    ASSERT_EQ(three.manager->getCount(), 3);
    EXPECT_EQ(three.manager->names(), (std::vector<std::string>{"Pad A", "Arcade Stick", "Pad C"}));
    for (int i = 0; i < 3; ++i) {
        Gamepad* gamepad = three.manager->getGamepad(i);
        ASSERT_NE(gamepad, nullptr);
        EXPECT_EQ(gamepad->joystick->Index(), i);
        EXPECT_EQ(gamepad->joystick->device->refCount, 1);
        EXPECT_TRUE(gamepad->connected());
    }
    EXPECT_EQ(three.manager->getGamepad(3), nullptr);
    EXPECT_EQ(three.manager->getGamepad(-1), nullptr);
    three.manager->pollEvents();
    EXPECT_EQ(three.backend->eventPolls, 1);
}

TEST(JoystickManager, GamepadsReadSticksTriggersAndButtonsAsTheGameExpects) {
    Started started({FakeJoystickBackend::pad("Pad A"), FakeJoystickBackend::pad("Pad B")});
    Gamepad& pad = *started.manager->getGamepad(1);
    JoystickPosition& p = started.backend->devices[1].position;
    // all at rest
    pad.update();
    EXPECT_EQ(pad.leftStick().x, 0.0f);
    EXPECT_EQ(pad.rightStick().y, 0.0f);
    EXPECT_EQ(pad.triggerA(), 0.0f);
    // left stick up and to the right, right stick down and left, the trigger axis pulled
    // negative (trigger A), buttons 2 and 9
    p.x = 65535, p.y = 0, p.u = 0, p.r = 49152, p.z = 0, p.buttons = (1u << 2) | (1u << 9);
    pad.update();
    EXPECT_NEAR(pad.leftStick().x, 1.0f, 1e-4f);
    EXPECT_EQ(pad.leftStick().y, -1.0f);
    EXPECT_EQ(pad.rightStick().x, -1.0f);
    EXPECT_EQ(pad.rightStick().y, 0.5f);
    EXPECT_EQ(pad.triggerA(), 1.0f);
    EXPECT_EQ(pad.triggerB(), -1.0f);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(pad.button(i), i == 2 || i == 9) << i;
    p.z = 65535; // trigger B
    pad.update();
    EXPECT_LT(pad.triggerA(), -0.99f);
    EXPECT_GT(pad.triggerB(), 0.99f);
    // The other pad saw none of it.
    Gamepad& other = *started.manager->getGamepad(0);
    other.update();
    EXPECT_EQ(other.leftStick().y, 0.0f);
    EXPECT_FALSE(other.button(2));
}

TEST(JoystickManager, AThreeAxisPadReportsItsMissingRightStickOnEveryRead) {
    Device small = FakeJoystickBackend::pad("three axes");
    small.caps.numAxes = 3;
    Started started({small});
    Gamepad& pad = *started.manager->getGamepad(0);
    StickPosition right{1, 1};
    std::string output = capture([&] {
        right = pad.rightStick();
        pad.rightStick();
    });
    EXPECT_EQ(right.x, 0.0f);
    EXPECT_EQ(right.y, 0.0f);
    const std::string error = "Error: Invalid axis index in GetAxis().\n\n";
    EXPECT_EQ(output, error + error + error + error);
}

TEST(JoystickManager, AnUnpluggedPadKeepsItsSlotAndNameUntilAnotherTakesIt) {
    Started started({FakeJoystickBackend::pad("Pad A"), FakeJoystickBackend::pad("Pad B")});
    Gamepad& pad = *started.manager->getGamepad(0);
    Device& device = started.backend->devices[0];
    device.position.y = 0;
    device.position.buttons = 1;
    pad.update();
    device.positionError = JOYERR_UNPLUGGED;
    std::string output = capture([&] {
        for (int tick = 0; tick < 3; ++tick)
            pad.update();
    });
    EXPECT_EQ(output, "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_FALSE(pad.connected());
    EXPECT_EQ(pad.leftStick().y, 0.0f);
    EXPECT_FALSE(pad.button(0));
    EXPECT_EQ(pad.name(), "Pad A");
    device = FakeJoystickBackend::pad("Pad D");
    pad.update();
    EXPECT_TRUE(pad.connected());
    EXPECT_EQ(started.manager->names(), (std::vector<std::string>{"Pad D", "Pad B"}));
}

} // namespace
