#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <SDL.h>

#include "app/joystickmanager.h"
#include "app/sdljoystickbackend.h"
#include "app/sdlsession.h"
#include "app/virtualpads.h"

namespace {

std::string stopCapture() {
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// A pad of the test's own, not one of the game's virtual pads: another make of controller,
// or a joystick SDL has no mapping for. Detached when destroyed.
class TestPad {
public:
    TestPad(const char* name, bool controller) {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.name = name;
        if (controller) {
            desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
            desc.naxes = SDL_CONTROLLER_AXIS_MAX;
            desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
            desc.axis_mask = (1u << desc.naxes) - 1;
            desc.button_mask = (1u << desc.nbuttons) - 1;
        } else {
            desc.type = SDL_JOYSTICK_TYPE_FLIGHT_STICK;
            desc.naxes = 3;
            desc.nbuttons = 4;
            desc.nhats = 1;
        }
        desc.vendor_id = 0x1234;
        desc.product_id = 0x5678;
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
    EXPECT_EQ(pad(0).leftStick().x, 0.0f);
    EXPECT_EQ(pad(0).triggerA(), 0.0f); // both triggers at rest
    EXPECT_EQ(pad(0).joystick->GetHat(0), HAT_CENTERED);

    set(0, "lefty", -1); // pushed up
    tick();
    EXPECT_LT(pad(0).leftStick().y, -0.99f);
    // the whole travel of a stick comes through, within the layer's dead band
    for (int step = -10; step <= 10; ++step) {
        set(0, "leftx", step / 10.0f);
        set(0, "righty", -step / 10.0f);
        set(0, "rightx", step / 20.0f);
        tick();
        EXPECT_NEAR(pad(0).leftStick().x, step / 10.0f, 0.01f) << step;
        EXPECT_NEAR(pad(0).rightStick().y, -step / 10.0f, 0.01f) << step;
        EXPECT_NEAR(pad(0).rightStick().x, step / 20.0f, 0.01f) << step;
    }
    set(0, "righttrigger", 1);
    tick();
    EXPECT_GE(pad(0).triggerA(), 0.7f);
    EXPECT_LT(pad(0).triggerB(), 0.0f);
    set(0, "righttrigger", 0);
    set(0, "lefttrigger", 0.8f);
    tick();
    EXPECT_NEAR(pad(0).triggerB(), 0.8f, 0.01f);
    EXPECT_GE(pad(0).triggerB(), 0.7f);
    set(0, "righttrigger", 0.8f); // both halves pulled: they cancel
    tick();
    EXPECT_NEAR(pad(0).triggerA(), 0.0f, 0.01f);

    const char* buttons[10] = {
        "a",    "b",     "x",         "y",         "leftshoulder", "rightshoulder",
        "back", "start", "leftstick", "rightstick"};
    for (int b = 0; b < 10; ++b) {
        set(0, buttons[b], 1);
        tick();
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(pad(0).button(i), i == b) << buttons[b] << " " << i;
        set(0, buttons[b], 0);
    }
    set(0, "guide", 1); // no button of the game's
    tick();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(pad(0).button(i)) << i;

    struct Dpad {
        std::vector<const char*> pressed;
        uint8_t hat;
    };
    const Dpad dpads[] = {{{"dpup"}, HAT_UP},
                          {{"dpup", "dpright"}, HAT_UP | HAT_RIGHT},
                          {{"dpright"}, HAT_RIGHT},
                          {{"dpdown", "dpright"}, HAT_DOWN | HAT_RIGHT},
                          {{"dpdown"}, HAT_DOWN},
                          {{"dpdown", "dpleft"}, HAT_DOWN | HAT_LEFT},
                          {{"dpleft"}, HAT_LEFT},
                          {{"dpup", "dpleft"}, HAT_UP | HAT_LEFT},
                          {{"dpup", "dpdown"}, HAT_CENTERED}};
    for (const Dpad& dpad : dpads) {
        for (const char* control : dpad.pressed)
            set(0, control, 1);
        tick();
        EXPECT_EQ(pad(0).joystick->GetHat(0), dpad.hat) << dpad.pressed[0];
        for (const char* control : dpad.pressed)
            set(0, control, 0);
    }
    // None of it reached the other pad.
    EXPECT_EQ(pad(1).leftStick().y, 0.0f);
    EXPECT_EQ(pad(1).triggerB(), 0.0f);
    EXPECT_FALSE(pad(1).button(0));
}

TEST_F(VirtualPads, ControlsAreCheckedAndHeldWithinTheirRanges) {
    start(1);
    EXPECT_FALSE(setVirtualPadControl(0, "trigger", 1));
    EXPECT_FALSE(setVirtualPadControl(0, "LEFTX", 1));
    EXPECT_FALSE(setVirtualPadControl(1, "leftx", 1));
    EXPECT_FALSE(setVirtualPadControl(-1, "leftx", 1));
    EXPECT_FALSE(setVirtualPadControl(0, "leftx", std::nanf("")));
    set(0, "leftx", -7);
    set(0, "righttrigger", 3);
    set(0, "a", 0.4f); // not pressed
    tick();
    EXPECT_EQ(pad(0).leftStick().x, -1.0f);
    EXPECT_GT(pad(0).triggerA(), 0.99f);
    EXPECT_FALSE(pad(0).button(0));
    set(0, "righttrigger", -3);
    set(0, "a", 0.5f);
    tick();
    EXPECT_EQ(pad(0).triggerA(), 0.0f);
    EXPECT_TRUE(pad(0).button(0));
    EXPECT_EQ(virtualPadCount(), 1);
}

TEST_F(VirtualPads, AnUnpluggedPadReadsAtRestWithOneErrorAndDrivesItsSlotWhenBack) {
    start(2);
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
    EXPECT_TRUE(pad(1).connected()); // the other pad plays on
    EXPECT_GT(pad(1).leftStick().x, 0.99f);

    set(0, "b", 1); // the hand still holds the pad while it is unplugged
    ASSERT_TRUE(plugVirtualPad(0));
    EXPECT_FALSE(plugVirtualPad(0));
    tick();
    EXPECT_TRUE(pad(0).connected());
    EXPECT_LT(pad(0).leftStick().y, -0.99f);
    EXPECT_TRUE(pad(0).button(0));
    EXPECT_TRUE(pad(0).button(1));
    set(0, "lefty", 0.5f);
    tick();
    EXPECT_NEAR(pad(0).leftStick().y, 0.5f, 0.01f);
    EXPECT_EQ(manager->names(), (std::vector<std::string>{"Virtual Pad 1", "Virtual Pad 2"}));
}

TEST_F(VirtualPads, PadsComingBackFindTheirOwnSlotsBeforeAnyGoneOne) {
    start(3);
    set(0, "x", 1);
    set(1, "y", 1);
    ASSERT_TRUE(unplugVirtualPad(0));
    ASSERT_TRUE(unplugVirtualPad(1));
    testing::internal::CaptureStdout();
    tick();
    stopCapture();
    ASSERT_TRUE(plugVirtualPad(1)); // slot 0 is the first gone slot, but slot 1 is its own
    tick();
    EXPECT_FALSE(pad(0).connected());
    EXPECT_TRUE(pad(1).connected());
    EXPECT_TRUE(pad(1).button(3));
    ASSERT_TRUE(plugVirtualPad(0));
    tick();
    EXPECT_TRUE(pad(0).connected());
    EXPECT_TRUE(pad(0).button(2));
    EXPECT_FALSE(pad(0).button(3));
}

TEST_F(VirtualPads, ANewPadTakesAGoneSlotAndNoOtherIsJoined) {
    start(2);
    ASSERT_TRUE(unplugVirtualPad(1));
    testing::internal::CaptureStdout();
    tick();
    stopCapture();
    extra = std::make_unique<TestPad>("Stranger Pad", true);
    SDL_JoystickSetVirtualAxis(extra->joystick, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
    tick();
    EXPECT_TRUE(pad(1).connected());
    EXPECT_GT(pad(1).leftStick().y, 0.99f);
    EXPECT_EQ(manager->names(), (std::vector<std::string>{"Virtual Pad 1", "Stranger Pad"}));
    // The slot's own pad comes back too late: there is no gone slot left for it.
    ASSERT_TRUE(plugVirtualPad(1));
    set(1, "lefty", -1);
    tick();
    EXPECT_GT(pad(1).leftStick().y, 0.99f);
    EXPECT_EQ(manager->getCount(), 2);
    EXPECT_EQ(manager->names(), (std::vector<std::string>{"Virtual Pad 1", "Stranger Pad"}));
    // When the stranger goes, the slot reads at rest again.
    testing::internal::CaptureStdout();
    extra.reset();
    tick();
    EXPECT_EQ(stopCapture(), "Error: joyGetPosEx: Joystick not attached\n");
    EXPECT_FALSE(pad(1).connected());
    EXPECT_EQ(pad(1).leftStick().y, 0.0f);
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
    EXPECT_FALSE(setVirtualPadControl(0, "a", 1));
    EXPECT_FALSE(plugVirtualPad(0));
}

} // namespace
