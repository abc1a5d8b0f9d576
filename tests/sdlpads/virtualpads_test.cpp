#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <SDL.h>

#include "input/joystickmanager.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/sdlsession.h"
#include "sdlpads/virtualpads.h"

namespace {

std::string stopCapture() {
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// A pad of the test's own: another make of controller, or a joystick SDL has no mapping
// for. Detached when destroyed.
struct TestPad {
    TestPad(const char* name, bool controller) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.name = name;
        desc.vendor_id = 0x1234;
        desc.product_id = 0x5678;
        desc.type = controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = controller ? SDL_CONTROLLER_AXIS_MAX : 3;
        desc.nbuttons = controller ? SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1 : 4;
        desc.nhats = controller ? 0 : 1;
        desc.axis_mask = controller ? (1u << desc.naxes) - 1 : 0;
        desc.button_mask = controller ? (1u << desc.nbuttons) - 1 : 0;
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        if (controller) // triggers at rest
            for (int axis : {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT})
                SDL_JoystickSetVirtualAxis(joystick, axis, SDL_JOYSTICK_AXIS_MIN);
    }
    ~TestPad() {
        SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
                SDL_JoystickDetachVirtual(i);
    }

    SDL_Joystick* joystick = nullptr;
};

class VirtualPads : public ::testing::Test {
protected:
    void TearDown() override {
        manager.reset();
        extra.reset();
        detachVirtualPads();
        if (session)
            releaseSdlPads();
    }

    // Attaches the game's virtual pads, then enumerates.
    void start(int pads) {
        std::string error;
        ASSERT_TRUE(attachVirtualPads(pads, error)) << error;
        testing::internal::CaptureStdout();
        manager = std::make_unique<JoystickManager>(std::make_unique<SdlJoystickBackend>());
        startUp = stopCapture();
    }

    // One tick as a screen runs it: the system's news, then every gamepad polled.
    void tick() {
        manager->pollEvents();
        for (int i = 0; i < manager->getCount(); ++i)
            manager->getGamepad(i)->update();
    }

    Gamepad& pad(int i) { return *manager->getGamepad(i); }

    void set(int padNumber, const char* control, float value) {
        ASSERT_TRUE(setVirtualPadControl(padNumber, control, value)) << control;
    }

    bool session = false;
    std::unique_ptr<TestPad> extra;
    std::unique_ptr<JoystickManager> manager;
    std::string startUp;
};

TEST_F(VirtualPads, SticksTriggersButtonsAndDpadReachTheGamepadsAsTheGameReadsThem) {
    start(2);
    EXPECT_EQ(startUp, "NumJoysticks = 2\nInitializing Joysticks..\n");
    EXPECT_EQ(manager->names(), (std::vector<std::string>{"Virtual Pad 1", "Virtual Pad 2"}));
    tick();
    EXPECT_EQ(pad(0).triggerA(), 0.0f); // both triggers at rest
    EXPECT_EQ(pad(0).joystick->GetHat(0), HAT_CENTERED);
    for (int step = -10; step <= 10; ++step) { // the whole travel, within the dead band
        set(0, "leftx", step / 10.0f);
        set(0, "lefty", -step / 10.0f);
        set(0, "righty", step / 20.0f);
        set(0, "rightx", -step / 20.0f);
        tick();
        EXPECT_NEAR(pad(0).leftStick().x, step / 10.0f, 0.01f) << step;
        EXPECT_NEAR(pad(0).leftStick().y, -step / 10.0f, 0.01f) << step;
        EXPECT_NEAR(pad(0).rightStick().y, step / 20.0f, 0.01f) << step;
        EXPECT_NEAR(pad(0).rightStick().x, -step / 20.0f, 0.01f) << step;
    }
    EXPECT_LT(pad(0).leftStick().y, -0.99f); // pushed up
    set(0, "righttrigger", 1);
    tick();
    EXPECT_GE(pad(0).triggerA(), 0.7f);
    set(0, "righttrigger", 0);
    set(0, "lefttrigger", 0.8f);
    tick();
    EXPECT_NEAR(pad(0).triggerB(), 0.8f, 0.01f);
    set(0, "righttrigger", 0.8f); // both halves pulled: they cancel
    tick();
    EXPECT_NEAR(pad(0).triggerA(), 0.0f, 0.01f);

    const char* buttons[11] = {
        "a",    "b",     "x",         "y",          "leftshoulder", "rightshoulder",
        "back", "start", "leftstick", "rightstick", "guide"};
    for (int b = 0; b < 11; ++b) { // the guide button is none of the game's
        set(0, buttons[b], 1);
        tick();
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(pad(0).button(i), i == b) << buttons[b] << " " << i;
        set(0, buttons[b], 0);
    }
    const char* dpad[4] = {"dpup", "dpright", "dpdown", "dpleft"};
    for (int pressed = 0; pressed < 16; ++pressed) { // every set of d-pad buttons
        for (int d = 0; d < 4; ++d)
            set(0, dpad[d], (pressed >> d) & 1);
        tick();
        // opposite directions cancel out; otherwise the hat bits are the pressed buttons
        int expected = pressed;
        for (int axis = 0; axis < 2; ++axis)
            if (((pressed >> axis) & 5) == 5)
                expected &= ~(5 << axis);
        EXPECT_EQ(pad(0).joystick->GetHat(0), expected) << pressed;
    }
    EXPECT_EQ(pad(1).leftStick().y + pad(1).triggerB(), 0.0f); // the other pad saw nothing
    EXPECT_FALSE(pad(1).button(0));

    for (const char* control : {"trigger", "LEFTX"})
        EXPECT_FALSE(setVirtualPadControl(0, control, 1));
    EXPECT_FALSE(setVirtualPadControl(2, "leftx", 1));
    EXPECT_FALSE(setVirtualPadControl(-1, "leftx", 1));
    EXPECT_FALSE(setVirtualPadControl(0, "leftx", std::nanf("")));
    set(0, "leftx", -7); // held within the range
    set(0, "lefttrigger", 0);
    set(0, "righttrigger", 3);
    set(0, "a", 0.4f); // pressed from 0.5
    tick();
    EXPECT_EQ(pad(0).leftStick().x, -1.0f);
    EXPECT_GT(pad(0).triggerA(), 0.99f);
    EXPECT_FALSE(pad(0).button(0));
}

TEST_F(VirtualPads, PadsGoingAndComingKeepTheirSlotsAndOnlyGoneSlotsAreRetaken) {
    start(3);
    set(0, "lefty", -1);
    set(0, "a", 1);
    set(1, "leftx", 1);
    tick();
    ASSERT_LT(pad(0).leftStick().y, -0.2f);
    ASSERT_TRUE(unplugVirtualPad(0));
    EXPECT_FALSE(unplugVirtualPad(0));
    testing::internal::CaptureStdout();
    for (int t = 0; t < 5; ++t)
        tick();
    EXPECT_EQ(stopCapture(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_FALSE(pad(0).connected());
    EXPECT_EQ(pad(0).leftStick().y, 0.0f);
    EXPECT_FALSE(pad(0).button(0));
    EXPECT_EQ(pad(0).name(), "Virtual Pad 1");
    EXPECT_GT(pad(1).leftStick().x, 0.99f); // the others play on
    testing::internal::CaptureStdout();
    ASSERT_TRUE(unplugVirtualPad(2)); // out and in again within one tick: still seen to go
    ASSERT_TRUE(plugVirtualPad(2));
    tick();
    tick();
    EXPECT_EQ(stopCapture(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_TRUE(pad(2).connected());

    // Pad 2 goes too and comes back to its own slot, though slot 0 is the first gone one,
    // with what its controls were set to meanwhile.
    ASSERT_TRUE(unplugVirtualPad(1));
    testing::internal::CaptureStdout();
    tick();
    EXPECT_EQ(stopCapture(), "Error: joyGetPosEx: Joystick not attached\n");
    set(1, "b", 1);
    set(1, "righttrigger", 1);
    ASSERT_TRUE(plugVirtualPad(1));
    EXPECT_FALSE(plugVirtualPad(1));
    tick();
    EXPECT_TRUE(pad(1).connected());
    EXPECT_GT(pad(1).leftStick().x, 0.99f);
    EXPECT_TRUE(pad(1).button(1));
    EXPECT_GE(pad(1).triggerA(), 0.7f);
    EXPECT_FALSE(pad(0).connected());

    // Another make of pad takes the gone slot; pad 1, back too late, finds none left.
    extra = std::make_unique<TestPad>("Stranger Pad", true);
    SDL_JoystickSetVirtualAxis(extra->joystick, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
    tick();
    ASSERT_TRUE(plugVirtualPad(0));
    tick();
    EXPECT_TRUE(pad(0).connected());
    EXPECT_GT(pad(0).leftStick().y, 0.99f);
    EXPECT_FALSE(pad(0).button(0));
    EXPECT_EQ(manager->getCount(), 3);
    EXPECT_EQ(manager->names(),
              (std::vector<std::string>{"Stranger Pad", "Virtual Pad 2", "Virtual Pad 3"}));
    testing::internal::CaptureStdout();
    extra.reset();
    tick();
    EXPECT_EQ(stopCapture(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_EQ(pad(0).leftStick().y, 0.0f);
}

TEST_F(VirtualPads, AJoystickWithoutAMappingReadsItsRawAxesButtonsAndHat) {
    std::string error;
    ASSERT_TRUE(session = acquireSdlPads(error)) << error;
    extra = std::make_unique<TestPad>("Flight Stick", false);
    start(0);
    ASSERT_EQ(manager->getCount(), 1);
    Joystick& raw = *pad(0).joystick;
    EXPECT_EQ(raw.NumAxes(), 3);
    EXPECT_EQ(raw.NumButtons(), 4);
    EXPECT_EQ(raw.NumHats(), 1);
    EXPECT_EQ(pad(0).name(), "Flight Stick");
    SDL_JoystickSetVirtualAxis(extra->joystick, 1, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(extra->joystick, 2, 16384);
    SDL_JoystickSetVirtualButton(extra->joystick, 3, 1);
    SDL_JoystickSetVirtualHat(extra->joystick, 0, SDL_HAT_LEFTDOWN);
    tick();
    EXPECT_EQ(pad(0).leftStick().y, -1.0f);
    EXPECT_EQ(pad(0).triggerB(), 0.5f);
    EXPECT_TRUE(pad(0).button(3));
    EXPECT_FALSE(pad(0).button(0));
    EXPECT_EQ(raw.GetHat(0), HAT_DOWN | HAT_LEFT);
}

TEST_F(VirtualPads, AMappingFileInTheWorkingDirectoryMakesAJoystickAController) {
    std::string error;
    ASSERT_TRUE(acquireSdlPads(error)) << error;
    char guid[33];
    {
        TestPad probe("Flight Stick", false);
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(probe.joystick), guid, sizeof guid);
    }
    releaseSdlPads();
    auto saved = std::filesystem::current_path();
    auto dir = std::filesystem::temp_directory_path() / ("quorl_pads_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "gamecontrollerdb.txt")
        << guid << ",Mapped Stick,a:b3,leftx:a0,lefty:a1,platform:Linux,\n";
    std::filesystem::current_path(dir);
    session = acquireSdlPads(error);
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(session) << error;
    extra = std::make_unique<TestPad>("Flight Stick", false);
    start(0);
    EXPECT_EQ(pad(0).joystick->NumAxes(), 5); // read as a controller now
    SDL_JoystickSetVirtualButton(extra->joystick, 3, 1);
    tick();
    EXPECT_TRUE(pad(0).button(0));
}

TEST_F(VirtualPads, AttachingIsRefusedAfterEnumerationOrOutsideItsRange) {
    std::string error;
    EXPECT_FALSE(attachVirtualPads(-1, error));
    EXPECT_FALSE(attachVirtualPads(17, error));
    EXPECT_EQ(error, "the number of virtual pads must be 0 to 16");
    start(1);
    EXPECT_FALSE(attachVirtualPads(1, error));
    EXPECT_EQ(error, "virtual pads are attached already");
    detachVirtualPads();
    EXPECT_FALSE(attachVirtualPads(1, error));
    EXPECT_EQ(error, "virtual pads must be attached before the gamepads are enumerated");
    EXPECT_EQ(virtualPadCount(), 0);
}

} // namespace
