#include <gtest/gtest.h>

#include <cstdio>

#include "input/joystick.h"
#include "support/fakejoystickbackend.h"

namespace {

using Device = FakeJoystickBackend::Device;

class DeviceLayer : public ::testing::Test {
protected:
    void SetUp() override { useJoystickBackend(&backend); }
    void TearDown() override { quitJoysticks(); }

    std::unique_ptr<Joystick> openFirst(const Device& device) {
        backend.devices = {device};
        initJoysticks();
        return OpenJoystick(0);
    }
    // Polls device 0 at `position` (its field `field`) and returns axis `axis`.
    int16_t axisAt(Joystick& joystick, uint32_t JoystickPosition::*field, uint32_t position,
                   int axis) {
        backend.devices[0].position.*field = position;
        joystick.update();
        return joystick.GetAxis(axis);
    }
    static std::string output() {
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    FakeJoystickBackend backend;
};

TEST_F(DeviceLayer, EnumeratesAnsweringDevicesUpToSixteenAndNamesThem) {
    for (int i = 0; i < 20; ++i)
        backend.devices.push_back(FakeJoystickBackend::pad("pad " + std::to_string(i)));
    backend.devices[1].positionError = JOYERR_UNPLUGGED; // unusable: skipped
    backend.devices[3].capsError = MMSYSERR_NODRIVER;
    backend.devices[2].name = "Named Pad"; // a display name wins over the product name
    EXPECT_EQ(initJoysticks(), 0);
    ASSERT_EQ(numJoysticks(), MAX_JOYSTICKS);
    EXPECT_STREQ(GetName(0), "pad 0");
    EXPECT_STREQ(GetName(1), "Named Pad");
    EXPECT_STREQ(GetName(2), "pad 4");
    auto last = OpenJoystick(15);
    EXPECT_EQ(axisAt(*last, &JoystickPosition::x, 0, 0), 0); // device 0 moved, not id 17
    backend.devices[17].position.x = 0;
    last->update();
    EXPECT_EQ(last->GetAxis(0), -32768);
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetName(16), nullptr);
    EXPECT_EQ(GetName(-1), nullptr);
    EXPECT_EQ(OpenJoystick(16), nullptr);
    const std::string name = "Error: Joystick index out of range in GetName().\n\n";
    EXPECT_EQ(output(), name + name + "Error: Joystick index out of range in OpenJoystick().\n\n");
}

TEST_F(DeviceLayer, AxesScaleTheirRangeOntoSigned16BitsAndHoldBeyondIt) {
    const std::pair<uint32_t, uint32_t> ranges[] = {{0, 65535}, {0, 255}, {1000, 3000}, {7, 8}};
    for (auto [min, max] : ranges) {
        Device device = FakeJoystickBackend::pad("ranges");
        device.caps.xMin = min, device.caps.xMax = max;
        auto joystick = openFirst(device);
        EXPECT_EQ(axisAt(*joystick, &JoystickPosition::x, min, 0), -32768) << min;
        EXPECT_EQ(axisAt(*joystick, &JoystickPosition::x, max, 0), 32767) << max;
        EXPECT_EQ(axisAt(*joystick, &JoystickPosition::x, max + 900, 0), 32767); // no wrap
        EXPECT_EQ(axisAt(*joystick, &JoystickPosition::x, 0, 0), -32768);
        int previous = -32768; // monotonic over the range
        for (uint32_t step = 0; step <= 64; ++step) {
            int16_t value = axisAt(*joystick, &JoystickPosition::x,
                                   min + uint32_t(uint64_t(max - min) * step / 64), 0);
            EXPECT_GE(value, previous);
            previous = value;
        }
    }
    Device odd = FakeJoystickBackend::pad("odd axes");
    odd.caps.caps &= ~JOYCAPS_HASZ;      // undeclared: the position as it comes
    odd.caps.rMin = odd.caps.rMax = 500; // no range: its one position reads 0
    auto joystick = openFirst(odd);
    EXPECT_EQ(axisAt(*joystick, &JoystickPosition::z, 2000, 2), 2000);
    EXPECT_EQ(axisAt(*joystick, &JoystickPosition::z, 60000, 2), 32767);
    EXPECT_EQ(axisAt(*joystick, &JoystickPosition::r, 500, 3), 0);
}

TEST_F(DeviceLayer, StoredAxesIgnoreMovesOf255UnitsOrLess) {
    auto joystick = openFirst(FakeJoystickBackend::pad("steady"));
    const std::pair<uint32_t, int16_t> steps[] = {
        {32768, 0},     {33023, 0},     {32513, 0},    {33024, 256}, {33279, 256},
        {33280, 512},   {33025, 512},   {33024, 256},  {32768, 0},   {32767, 0},
        {65535, 32767}, {65280, 32767}, {65279, 32511}};
    for (auto [position, stored] : steps)
        EXPECT_EQ(axisAt(*joystick, &JoystickPosition::y, position, 1), stored) << position;
}

TEST_F(DeviceLayer, HatAnglesBecomeDirectionBits) {
    EXPECT_EQ(hatFromAngle(4500), HAT_UP | HAT_RIGHT);
    EXPECT_EQ(hatFromAngle(0), HAT_UP);
    EXPECT_EQ(hatFromAngle(JOY_POVCENTERED), HAT_CENTERED);
    // Every angle reports each direction within 90 degrees of it, and only those.
    const uint8_t bits[4] = {HAT_UP, HAT_RIGHT, HAT_DOWN, HAT_LEFT};
    for (int angle = 0; angle < 36000; ++angle)
        for (int d = 0; d < 4; ++d) {
            int apart = std::abs(angle - d * 9000);
            ASSERT_EQ((hatFromAngle(angle) & bits[d]) != 0, std::min(apart, 36000 - apart) < 9000)
                << angle;
        }
    auto joystick = openFirst(FakeJoystickBackend::pad("hat"));
    backend.devices[0].position.pov = 13500;
    joystick->update();
    EXPECT_EQ(backend.lastRequest, JOY_RETURNALL | JOY_RETURNPOVCTS);
    EXPECT_EQ(joystick->GetHat(0), HAT_DOWN | HAT_RIGHT);
}

TEST_F(DeviceLayer, BadIndicesAreReportedAndReadZero) {
    Device device = FakeJoystickBackend::pad("small");
    device.caps.numAxes = 2;
    device.caps.numButtons = 40; // the mask has room for 32
    device.caps.caps = 0;
    auto joystick = openFirst(device);
    backend.devices[0].position.buttons = 0x80000005u;
    EXPECT_EQ(axisAt(*joystick, &JoystickPosition::x, 65535, 0), 32767);
    EXPECT_EQ(backend.lastRequest, 0xBFu); // no hat asked for
    EXPECT_EQ(joystick->NumButtons(), 32);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(joystick->GetButton(i), (i == 0 || i == 2 || i == 31) ? 1 : 0) << i;
    int dx = 7, dy = 7;
    testing::internal::CaptureStdout();
    EXPECT_EQ(joystick->GetAxis(2) + joystick->GetAxis(-1) + joystick->GetHat(0), 0);
    EXPECT_EQ(joystick->GetButton(32) + joystick->GetButton(-3), 0);
    EXPECT_EQ(joystick->GetBall(0, dx, dy) + dx + dy, 0);
    Close(1);
    const std::string axis = "Error: Invalid axis index in GetAxis().\n\n";
    const std::string button = "Error: Invalid joystick button index in GetButton().\n\n";
    EXPECT_EQ(output(), axis + axis + "Error: Invalid joystick index in GetHat().\n\n" + button +
                            button + "Error: Invalid ball index in GetBall().\n\n" +
                            "Error: Invalid joystick device index in Close().\n\n");
}

TEST_F(DeviceLayer, HandlesShareADeviceUntilTheLastClose) {
    backend.devices = {FakeJoystickBackend::pad("shared")};
    initJoysticks();
    auto first = OpenJoystick(0);
    auto second = OpenJoystick(0);
    ASSERT_EQ(first->device, second->device);
    EXPECT_EQ(first->device->refCount, 2);
    EXPECT_EQ(axisAt(*first, &JoystickPosition::x, 0, 0), -32768);
    EXPECT_EQ(second->GetAxis(0), -32768); // one device, whichever handle polled it
    Close(0);
    ASSERT_NE(second->device, nullptr);
    EXPECT_EQ(second->device->refCount, 1);
    Close(0);
    // Freed: both handles answer as handles without a device, silently.
    testing::internal::CaptureStdout();
    EXPECT_EQ(first->device, nullptr);
    second->update();
    EXPECT_EQ(second->GetAxis(0), 0);
    EXPECT_EQ(second->NumAxes() + second->NumButtons() + second->Index(), -3);
    Close(0);
    EXPECT_EQ(output(), "Error: Tried to close unopened joystick.\n\n");
    EXPECT_EQ(OpenJoystick(0)->device->refCount, 1); // a fresh device
}

TEST_F(DeviceLayer, AFailingPadIsReportedOnceReadsAtRestAndMayComeBackAsAnother) {
    auto joystick = openFirst(FakeJoystickBackend::pad("Pad One"));
    Device& device = backend.devices[0];
    device.position.buttons = 1;
    device.position.pov = 0;
    ASSERT_EQ(axisAt(*joystick, &JoystickPosition::x, 0, 0), -32768);
    testing::internal::CaptureStdout();
    device.positionError = JOYERR_UNPLUGGED;
    for (int tick = 0; tick < 5; ++tick)
        joystick->update();
    EXPECT_EQ(output(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_FALSE(joystick->IsAttached());
    EXPECT_EQ(joystick->GetAxis(0) + joystick->GetButton(0) + joystick->GetHat(0), 0);

    device = FakeJoystickBackend::pad("Pad Two"); // its own capabilities and name
    device.caps.numAxes = 2;
    device.caps.caps = 0;
    device.capsError = JOYERR_UNPLUGGED; // until they can be read it stays at rest
    EXPECT_EQ(axisAt(*joystick, &JoystickPosition::y, 65535, 1), 0);
    device.capsError = JOYERR_NOERROR;
    joystick->update(); // read on the very poll it came back
    EXPECT_TRUE(joystick->IsAttached());
    EXPECT_EQ(joystick->GetAxis(1), 32767);
    EXPECT_EQ(joystick->NumHats(), 0);
    EXPECT_STREQ(GetName(0), "Pad Two");

    const std::pair<unsigned, const char*> codes[] = {
        {MMSYSERR_BADDEVICEID, "Bad device ID"},
        {MMSYSERR_NODRIVER, "Joystick driver not present"},
        {MMSYSERR_INVALPARAM, "Invalid parameter(s)"},
        {JOYERR_PARMS, "Invalid parameter(s)"},
        {JOYERR_NOCANDO, "Can't capture joystick input"},
        {0x1f, "Unknown Multimedia system error: 0x1f"}};
    for (auto [code, text] : codes) { // each new failure is reported once more
        testing::internal::CaptureStdout();
        device.positionError = code;
        joystick->update();
        joystick->update();
        device.positionError = JOYERR_NOERROR;
        joystick->update();
        EXPECT_EQ(output(), std::string("Error: joyGetPosEx: ") + text + "\n");
    }
}

} // namespace
