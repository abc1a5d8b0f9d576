#include "app/joystickmanager.h"

#include <cassert>
#include <cstdio>

#include "app/sdljoystickbackend.h"

namespace {

bool managerAlive = false;
JoystickManager* programManager = nullptr; // the program's, on SDL

} // namespace

JoystickManager* JoystickManager::instance() {
    if (!programManager)
        programManager = new JoystickManager(std::make_unique<SdlJoystickBackend>());
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

void JoystickManager::pollEvents() {
    backend->pollEvents();
}
