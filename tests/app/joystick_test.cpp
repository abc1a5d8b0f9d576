#include <gtest/gtest.h>

#include <cstdio>

#include "app/joystick.h"
#include "support/fakejoystickbackend.h"

namespace {

using Device = FakeJoystickBackend::Device;

class DeviceLayer : public ::testing::Test {
protected:
    void SetUp() override { useJoystickBackend(&backend); }
    void TearDown() override { quitJoysticks(); }

    // Enumerates `devices` and opens device 0.
    std::unique_ptr<Joystick> openFirst(std::vector<Device> devices) {
        backend.devices = std::move(devices);
        initJoysticks();
        return OpenJoystick(0);
    }

    static void startCapture() { testing::internal::CaptureStdout(); }
    static std::string captured() {
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    FakeJoystickBackend backend;
};

TEST_F(DeviceLayer, EnumerationKeepsAnsweringDevicesUpToSixteenInIdOrder) {
    std::vector<Device> devices;
    for (int i = 0; i < 20; ++i)
        devices.push_back(FakeJoystickBackend::pad("pad " + std::to_string(i)));
    devices[1].positionError = JOYERR_UNPLUGGED; // not usable: skipped
    devices[3].capsError = MMSYSERR_NODRIVER;
    devices[2].hasName = true;
    devices[2].name = "Named Pad";
    backend.devices = devices;
    EXPECT_EQ(initJoysticks(), 0);
    ASSERT_EQ(numJoysticks(), MAX_JOYSTICKS);
    EXPECT_STREQ(GetName(0), "pad 0");
    EXPECT_STREQ(GetName(1), "Named Pad"); // the display name wins over the product name
    EXPECT_STREQ(GetName(2), "pad 4");
    EXPECT_STREQ(GetName(15), "pad 17");
    auto last = OpenJoystick(15);
    backend.devices[17].position.x = 0;
    last->update();
    EXPECT_EQ(last->GetAxis(0), -32768); // entry 15 reads device id 17

    startCapture();
    EXPECT_EQ(GetName(16), nullptr);
    EXPECT_EQ(GetName(-1), nullptr);
    EXPECT_EQ(OpenJoystick(16), nullptr);
    EXPECT_EQ(captured(), "Error: Joystick index out of range in GetName().\n\n"
                          "Error: Joystick index out of range in GetName().\n\n"
                          "Error: Joystick index out of range in OpenJoystick().\n\n");

    backend.devices.clear();
    initJoysticks(); // a second enumeration replaces the first
    EXPECT_EQ(numJoysticks(), 0);
    EXPECT_EQ(last->NumAxes(), -1);
}

TEST_F(DeviceLayer, AxesScaleFromTheirCapabilitiesOntoTheSigned16BitRange) {
    struct Range {
        uint32_t min, max;
    };
    const Range ranges[] = {{0, 65535}, {0, 255}, {1000, 3000}, {40000, 40001}, {7, 65000}};
    for (const Range& range : ranges) {
        Device device = FakeJoystickBackend::pad("ranges");
        device.caps.xMin = range.min, device.caps.xMax = range.max;
        auto joystick = openFirst({device});
        uint32_t& x = backend.devices[0].position.x;
        x = range.min;
        joystick->update();
        EXPECT_EQ(joystick->GetAxis(0), -32768) << range.min;
        x = range.max;
        joystick->update();
        EXPECT_EQ(joystick->GetAxis(0), 32767) << range.max;
        x = range.max + 5000; // beyond the range: held at its end, never wrapped round
        joystick->update();
        EXPECT_EQ(joystick->GetAxis(0), 32767);
        x = 0;
        joystick->update();
        EXPECT_EQ(joystick->GetAxis(0), -32768);
        // every step over the range moves the value the same way, never backwards
        int previous = -32768;
        for (uint32_t step = 0; step <= 64; ++step) {
            x = range.min + static_cast<uint32_t>(uint64_t(range.max - range.min) * step / 64);
            joystick->update();
            EXPECT_GE(joystick->GetAxis(0), previous);
            previous = joystick->GetAxis(0);
        }
        Close(0);
    }
}

TEST_F(DeviceLayer, UndeclaredAndEmptyAxesReadTheirPositionOrRest) {
    Device device = FakeJoystickBackend::pad("odd axes");
    device.caps.caps &= ~JOYCAPS_HASZ;         // Z not declared: read as it comes
    device.caps.rMin = device.caps.rMax = 500; // R has no range: its one position reads 0
    device.caps.numAxes = 6;                   // V neither declared nor ever moving
    auto joystick = openFirst({device});
    JoystickPosition& p = backend.devices[0].position;
    p.z = 2000, p.r = 500, p.v = 0;
    joystick->update();
    EXPECT_EQ(joystick->GetAxis(2), 2000);
    EXPECT_EQ(joystick->GetAxis(3), 0);
    EXPECT_EQ(joystick->GetAxis(5), 0);
    p.z = 60000; // beyond the signed range: held
    joystick->update();
    EXPECT_EQ(joystick->GetAxis(2), 32767);
}

TEST_F(DeviceLayer, StoredAxesIgnoreMovesOf255UnitsOrLess) {
    auto joystick = openFirst({FakeJoystickBackend::pad("steady")});
    uint32_t& y = backend.devices[0].position.y;
    struct Step {
        uint32_t position;
        int16_t stored;
    };
    const Step steps[] = {
        {32768, 0},         {32768 + 255, 0},   {32768 - 255, 0},   {32768 + 256, 256},
        {32768 + 511, 256}, {32768 + 512, 512}, {32768 + 257, 512}, {32768 + 256, 256},
        {32768, 0},         {32768 - 1, 0},     {65535, 32767},     {65535 - 255, 32767},
    };
    for (const Step& step : steps) {
        y = step.position;
        joystick->update();
        EXPECT_EQ(joystick->GetAxis(1), step.stored) << step.position;
    }
}

TEST_F(DeviceLayer, HatAnglesBecomeDirectionBits) {
    EXPECT_EQ(hatFromAngle(4500), HAT_UP | HAT_RIGHT);
    EXPECT_EQ(hatFromAngle(0), HAT_UP);
    EXPECT_EQ(hatFromAngle(JOY_POVCENTERED), HAT_CENTERED);
    EXPECT_EQ(hatFromAngle(9000), HAT_RIGHT);
    EXPECT_EQ(hatFromAngle(18000), HAT_DOWN);
    EXPECT_EQ(hatFromAngle(27000), HAT_LEFT);
    EXPECT_EQ(hatFromAngle(31500), HAT_UP | HAT_LEFT);
    // Every angle points somewhere, never two opposite ways, and within 45 degrees of each
    // direction it reports.
    for (uint32_t angle = 0; angle < 36000; ++angle) {
        uint8_t hat = hatFromAngle(angle);
        ASSERT_NE(hat, HAT_CENTERED) << angle;
        ASSERT_FALSE((hat & HAT_UP) && (hat & HAT_DOWN)) << angle;
        ASSERT_FALSE((hat & HAT_LEFT) && (hat & HAT_RIGHT)) << angle;
        const uint8_t bits[4] = {HAT_UP, HAT_RIGHT, HAT_DOWN, HAT_LEFT};
        for (int d = 0; d < 4; ++d) {
            int apart = std::abs(static_cast<int>(angle) - d * 9000);
            apart = std::min(apart, 36000 - apart);
            if (hat & bits[d]) {
                ASSERT_LT(apart, 9000) << angle;
            }
        }
    }
    // Read through a device: the hat is asked for in hundredths of a degree.
    auto joystick = openFirst({FakeJoystickBackend::pad("hat")});
    backend.devices[0].position.pov = 13500;
    joystick->update();
    EXPECT_EQ(backend.lastRequest, JOY_RETURNALL | JOY_RETURNPOVCTS);
    EXPECT_EQ(joystick->GetHat(0), HAT_DOWN | HAT_RIGHT);
}

TEST_F(DeviceLayer, ButtonsFollowTheMaskAndAHatlessPadAsksForNoHat) {
    Device device = FakeJoystickBackend::pad("hatless");
    device.caps.caps &= ~JOYCAPS_HASPOV;
    device.caps.numButtons = 40; // the mask has room for 32
    auto joystick = openFirst({device});
    EXPECT_EQ(joystick->NumHats(), 0);
    EXPECT_EQ(joystick->NumButtons(), 32);
    backend.devices[0].position.buttons = 0x80000005u;
    joystick->update();
    EXPECT_EQ(backend.lastRequest, 0xBFu);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(joystick->GetButton(i), (i == 0 || i == 2 || i == 31) ? 1 : 0) << i;
}

TEST_F(DeviceLayer, BadIndicesAreReportedAndReadZero) {
    Device device = FakeJoystickBackend::pad("small");
    device.caps.numAxes = 2;
    device.caps.numButtons = 1;
    device.caps.caps &= ~JOYCAPS_HASPOV;
    auto joystick = openFirst({device});
    backend.devices[0].position.x = 65535;
    joystick->update();
    int dx = 7, dy = 7;
    startCapture();
    EXPECT_EQ(joystick->GetAxis(2), 0);
    EXPECT_EQ(joystick->GetAxis(-1), 0);
    EXPECT_EQ(joystick->GetHat(0), 0);
    EXPECT_EQ(joystick->GetButton(1), 0);
    EXPECT_EQ(joystick->GetButton(-3), 0);
    EXPECT_EQ(joystick->GetBall(0, dx, dy), 0);
    Close(1);
    std::string output = captured();
    EXPECT_EQ(output, "Error: Invalid axis index in GetAxis().\n\n"
                      "Error: Invalid axis index in GetAxis().\n\n"
                      "Error: Invalid joystick index in GetHat().\n\n"
                      "Error: Invalid joystick button index in GetButton().\n\n"
                      "Error: Invalid joystick button index in GetButton().\n\n"
                      "Error: Invalid ball index in GetBall().\n\n"
                      "Error: Invalid joystick device index in Close().\n\n");
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(joystick->GetAxis(0), 32767); // good indices still read
    EXPECT_EQ(joystick->NumBalls(), 0);
}

TEST_F(DeviceLayer, HandlesShareADeviceUntilTheLastClose) {
    backend.devices = {FakeJoystickBackend::pad("shared"), FakeJoystickBackend::pad("other")};
    initJoysticks();
    auto first = OpenJoystick(1);
    auto second = OpenJoystick(1);
    ASSERT_EQ(first->device, second->device);
    EXPECT_EQ(first->device->refCount, 2);
    EXPECT_EQ(first->Index(), 1);
    backend.devices[1].position.x = 0;
    first->update();
    EXPECT_EQ(second->GetAxis(0), -32768); // one device, whichever handle polled it
    Close(1);
    ASSERT_NE(second->device, nullptr);
    EXPECT_EQ(second->device->refCount, 1);
    EXPECT_EQ(second->GetAxis(0), -32768);
    Close(1);
    // The device is gone: both handles answer as handles without a device, silently.
    startCapture();
    EXPECT_EQ(first->device, nullptr);
    EXPECT_EQ(second->GetAxis(0), 0);
    EXPECT_EQ(second->NumAxes(), -1);
    EXPECT_EQ(second->NumButtons(), -1);
    EXPECT_EQ(second->Index(), -1);
    second->update();
    EXPECT_EQ(captured(), "");
    startCapture();
    Close(1);
    EXPECT_EQ(captured(), "Error: Tried to close unopened joystick.\n\n");
    auto again = OpenJoystick(1); // a fresh device, at rest
    EXPECT_EQ(again->device->refCount, 1);
    EXPECT_EQ(again->GetAxis(0), 0);
    first.reset(); // a handle may go before or after its device
}

TEST_F(DeviceLayer, AFailingPadIsReportedOnceReadsAtRestAndComesBack) {
    auto joystick = openFirst({FakeJoystickBackend::pad("Pad One")});
    Device& device = backend.devices[0];
    device.position.x = 0;
    device.position.buttons = 1;
    device.position.pov = 0;
    joystick->update();
    ASSERT_EQ(joystick->GetAxis(0), -32768);
    startCapture();
    device.positionError = JOYERR_UNPLUGGED;
    for (int tick = 0; tick < 5; ++tick)
        joystick->update();
    EXPECT_EQ(captured(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_FALSE(joystick->IsAttached());
    EXPECT_EQ(joystick->GetAxis(0), 0);
    EXPECT_EQ(joystick->GetButton(0), 0);
    EXPECT_EQ(joystick->GetHat(0), HAT_CENTERED);

    // Another pad answers on the same id: its capabilities and name are taken anew.
    device = FakeJoystickBackend::pad("Pad Two");
    device.caps.numAxes = 2;
    device.caps.caps = 0;
    device.position.y = 65535;
    startCapture();
    joystick->update();
    EXPECT_EQ(captured(), "");
    EXPECT_TRUE(joystick->IsAttached());
    EXPECT_EQ(joystick->NumAxes(), 2);
    EXPECT_EQ(joystick->NumHats(), 0);
    EXPECT_EQ(joystick->GetAxis(1), 32767); // read on the very poll it came back
    EXPECT_STREQ(GetName(0), "Pad Two");

    // Each new failure is reported once more, with the code's own text.
    const std::pair<unsigned, const char*> codes[] = {
        {MMSYSERR_BADDEVICEID, "Bad device ID"},
        {MMSYSERR_NODRIVER, "Joystick driver not present"},
        {MMSYSERR_INVALPARAM, "Invalid parameter(s)"},
        {JOYERR_PARMS, "Invalid parameter(s)"},
        {JOYERR_NOCANDO, "Can't capture joystick input"},
        {0x1f, "Unknown Multimedia system error: 0x1f"},
    };
    for (const auto& [code, text] : codes) {
        startCapture();
        device.positionError = code;
        joystick->update();
        joystick->update();
        device.positionError = JOYERR_NOERROR;
        joystick->update();
        EXPECT_EQ(captured(), std::string("Error: joyGetPosEx: ") + text + "\n");
    }
    // A pad whose capabilities cannot be read stays at rest until they can.
    startCapture();
    device.positionError = JOYERR_UNPLUGGED;
    joystick->update();
    device.positionError = JOYERR_NOERROR;
    device.capsError = JOYERR_UNPLUGGED;
    joystick->update();
    EXPECT_FALSE(joystick->IsAttached());
    EXPECT_EQ(joystick->GetAxis(1), 0);
    device.capsError = JOYERR_NOERROR;
    joystick->update();
    EXPECT_EQ(joystick->GetAxis(1), 32767);
    EXPECT_EQ(captured(), "Error: joyGetPosEx: Joystick not attached\n");
}

} // namespace
