#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <cstdint>
#include <memory>
#include <vector>

#include "input/joystickbackend.h"

// The joystick device layer: enumerates the back end's devices once, opens them and keeps
// their axes, hat, balls and buttons up to date by polling. Module state; one thread.
//
// A device that stops answering is reported once as an error and then reads centred with
// nothing pressed; when its id answers again (the same pad back, or another pad the back end
// gave that id) its capabilities and name are read anew and it drives the same device again.

constexpr int MAX_JOYSTICKS = 16;
constexpr int MAX_JOYSTICK_AXES = 16;    // more reported axes than this are ignored
constexpr int MAX_JOYSTICK_BUTTONS = 32; // the button mask holds no more
constexpr int AXIS_DEAD_BAND = 255;      // axis units a stored value ignores in either direction

// Hat bit set.
constexpr uint8_t HAT_CENTERED = 0;
constexpr uint8_t HAT_UP = 1;
constexpr uint8_t HAT_RIGHT = 2;
constexpr uint8_t HAT_DOWN = 4;
constexpr uint8_t HAT_LEFT = 8;

class Joystick;

// What the layer needs to read one open device: its id and the scaling of the six axes X, Y,
// Z, R, U, V from position units: value = (position + offset) * scale - 32768, rounded and
// held within -32768 .. 32767. An axis the capabilities do not declare (Z, R, U, V) reads
// its position as it comes: offset 32768, scale 1.
struct JoystickHardware {
    unsigned id = 0;
    int offset[6] = {32768, 32768, 32768, 32768, 32768, 32768};
    float scale[6] = {1, 1, 1, 1, 1, 1};
};

struct BallMotion {
    int16_t dx = 0;
    int16_t dy = 0;
};

// One opened device, owned by the layer from the first OpenJoystick until the last Close.
struct JoystickDevice {
    uint8_t index = 0; // 0 .. numJoysticks() - 1
    int numAxes = 0;
    std::vector<int16_t> axes; // -32768 .. 32767, 0 at open
    int numHats = 0;
    std::vector<uint8_t> hats; // hat bit sets
    int numBalls = 0;          // always 0: no back end reports balls
    std::vector<BallMotion> balls;
    int numButtons = 0;
    std::vector<uint8_t> buttons; // 1 = pressed
    JoystickHardware hw;
    int refCount = 0;               // open references (OpenJoystick minus Close)
    bool attached = true;           // false from a failed poll until one succeeds
    std::vector<Joystick*> handles; // live handles, cleared when the device is freed
};

// A handle on an open device; several may share one. Made by OpenJoystick, owned by the
// caller. Freeing the device (the last Close) leaves the handle without a device, and every
// query then answers 0 (counts and index -1).
class Joystick {
public:
    explicit Joystick(JoystickDevice* device);
    ~Joystick();
    Joystick(const Joystick&) = delete;
    Joystick& operator=(const Joystick&) = delete;

    int16_t GetAxis(int axis) const;
    uint8_t GetHat(int hat) const;
    uint8_t GetButton(int button) const;
    // Motion since the last call, then cleared; 0 without a device or for a bad index.
    int GetBall(int ball, int& dx, int& dy) const;

    int NumAxes() const;
    int NumHats() const;
    int NumBalls() const;
    int NumButtons() const;
    int Index() const;
    // False while the device does not answer (read as centred, nothing pressed).
    bool IsAttached() const;

    // Polls the device.
    void update();
    // Asks the back end to shake the device (see JoystickBackend::rumble); false without one.
    bool Rumble(float strength, unsigned ms);

    JoystickDevice* device; // null once the device is freed; not owned
};

// The system the layer reads; not owned, and it must stay until quitJoysticks. Without one
// the layer sees no devices.
void useJoystickBackend(JoystickBackend* backend);
// Reads the back end's devices into the table (at most MAX_JOYSTICKS); returns 0.
int initJoysticks();
int numJoysticks();
// The device's display name, else its product name; null (with an error) for a bad index.
// Valid until the device is enumerated or re-read again.
const char* GetName(int index);
std::unique_ptr<Joystick> OpenJoystick(int index);
void Close(int index);
// Frees every device, whatever its references, and forgets the back end.
void quitJoysticks();

// "Error: %s\n", then carries on.
void reportJoystickError(const char* message);
// "Fatal error: %s\n", then ends the process with exit(-1).
[[noreturn]] void reportJoystickFatal(const char* message);

// The hat bit set for a hat angle in hundredths of a degree (JOY_POVCENTERED: centred).
uint8_t hatFromAngle(uint32_t angle);
