#include "input/joystickmanager.h"

#include <cassert>
#include <cstdio>

namespace {

bool managerAlive = false;
JoystickManager* programManager = nullptr; // the program's

// The system of a program that was given none: no device at all.
class NoJoysticks : public JoystickBackend {
public:
    unsigned deviceCount() override { return 0; }
    unsigned readPosition(unsigned, JoystickPosition&) override { return MMSYSERR_NODRIVER; }
    unsigned readCaps(unsigned, JoystickCaps&) override { return MMSYSERR_NODRIVER; }
    bool readName(unsigned, std::string&) override { return false; }
};

} // namespace

JoystickManager* JoystickManager::install(std::unique_ptr<JoystickBackend> backend) {
    release();
    programManager = new JoystickManager(std::move(backend));
    return programManager;
}

JoystickManager* JoystickManager::instance() {
    if (!programManager)
        install(std::make_unique<NoJoysticks>());
    return programManager;
}

void JoystickManager::release() {
    delete programManager;
    programManager = nullptr;
}

JoystickManager::JoystickManager(std::unique_ptr<JoystickBackend> backend)
    : backend(std::move(backend)) {
    assert(!managerAlive);
    managerAlive = true;
    useJoystickBackend(this->backend.get());
    initJoysticks();
    count = numJoysticks();
    printf("NumJoysticks = %d\n", count);
    printf("Initializing Joysticks");
    for (int i = 0; i < count; ++i) {
        gamepads.push_back(std::make_unique<Gamepad>(OpenJoystick(i)));
        printf(".");
    }
    printf("\n");
    fflush(stdout);
}

JoystickManager::~JoystickManager() {
    gamepads.clear();
    quitJoysticks();
    managerAlive = false;
}

Gamepad* JoystickManager::getGamepad(int i) const {
    return i >= 0 && i < count ? gamepads[i].get() : nullptr;
}

std::vector<std::string> JoystickManager::names() const {
    std::vector<std::string> result;
    for (const auto& gamepad : gamepads)
        result.push_back(gamepad->name());
    return result;
}

std::vector<Gamepad*> JoystickManager::connectedGamepads() const {
    std::vector<Gamepad*> result;
    for (const auto& gamepad : gamepads)
        if (gamepad->connected())
            result.push_back(gamepad.get());
    return result;
}

void JoystickManager::pollEvents() {
    backend->pollEvents();
}
