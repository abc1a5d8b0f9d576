#include <gtest/gtest.h>

#include <cstdio>

#include "input/joystickmanager.h"
#include "support/fakejoystickbackend.h"

namespace {

using Device = FakeJoystickBackend::Device;

// Starts a manager on a fake back end; returns what it printed.
std::string start(std::unique_ptr<JoystickManager>& manager, std::vector<Device> devices) {
    auto backend = std::make_unique<FakeJoystickBackend>();
    backend->devices = std::move(devices);
    testing::internal::CaptureStdout();
    manager = std::make_unique<JoystickManager>(std::move(backend));
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(JoystickManager, StartUpReportsTheCountAndAGamepadPerDevice) {
    std::unique_ptr<JoystickManager> manager;
    EXPECT_EQ(start(manager, {}), "NumJoysticks = 0\nInitializing Joysticks\n");
    EXPECT_EQ(manager->getCount(), 0);
    EXPECT_EQ(manager->getGamepad(0), nullptr);
    manager.reset();

    Device broken = FakeJoystickBackend::pad("broken");
    broken.capsError = JOYERR_UNPLUGGED;
    Device named = FakeJoystickBackend::pad("Generic USB Pad");
    named.name = "Arcade Stick";
    EXPECT_EQ(start(manager, {FakeJoystickBackend::pad("Pad A"), broken, named}),
              "NumJoysticks = 2\nInitializing Joysticks..\n");
    EXPECT_EQ(manager->names(), (std::vector<std::string>{"Pad A", "Arcade Stick"}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(manager->getGamepad(i)->joystick->Index(), i);
        EXPECT_TRUE(manager->getGamepad(i)->connected());
    }
    EXPECT_EQ(manager->getGamepad(2), nullptr);
    EXPECT_EQ(manager->getGamepad(-1), nullptr);
}

TEST(JoystickManager, AThreeAxisPadReportsItsMissingRightStickOnEveryRead) {
    Device small = FakeJoystickBackend::pad("three axes");
    small.caps.numAxes = 3;
    std::unique_ptr<JoystickManager> manager;
    start(manager, {small});
    Gamepad& pad = *manager->getGamepad(0);
    testing::internal::CaptureStdout();
    StickPosition right = pad.rightStick();
    pad.rightStick();
    fflush(stdout);
    EXPECT_EQ(right.x + right.y, 0.0f);
    const std::string error = "Error: Invalid axis index in GetAxis().\n\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), error + error + error + error);
}

} // namespace
