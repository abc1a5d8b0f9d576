#include "sdlpads/sdljoystickbackend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/joystick.h"
#include "sdlpads/sdlpadreading.h"
#include "sdlpads/sdlsession.h"

namespace {

bool sameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
    return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

std::string deviceName(int deviceIndex) {
    const char* name = SDL_IsGameController(deviceIndex)
                           ? SDL_GameControllerNameForIndex(deviceIndex)
                           : SDL_JoystickNameForIndex(deviceIndex);
    return name ? name : "";
}

} // namespace

SdlJoystickBackend::SdlJoystickBackend() {
    std::string error;
    available = acquireSdlPads(error);
    if (!available)
        reportJoystickError(error.c_str());
}

SdlJoystickBackend::~SdlJoystickBackend() {
    for (Slot& slot : slots)
        close(slot);
    if (available) {
        setSdlPadsEnumerated(false);
        releaseSdlPads();
    }
}

unsigned SdlJoystickBackend::deviceCount() {
    if (!enumerated)
        enumerate();
    return static_cast<unsigned>(slots.size());
}

void SdlJoystickBackend::enumerate() {
    enumerated = true;
    if (!available)
        return;
    setSdlPadsEnumerated(true);
    const int pads = SDL_NumJoysticks();
    for (int pass = 0; pass < 2; ++pass) {
        const bool virtualPads = pass == 0;
        for (int i = 0; i < pads; ++i) {
            if ((SDL_JoystickIsVirtual(i) == SDL_TRUE) != virtualPads)
                continue;
            Slot slot;
            if (open(i, slot))
                slots.push_back(slot);
            else
                reportJoystickError(SDL_GetError());
        }
    }
}

bool SdlJoystickBackend::open(int deviceIndex, Slot& slot) {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
    if (SDL_IsGameController(deviceIndex)) {
        controller = SDL_GameControllerOpen(deviceIndex);
        joystick = controller ? SDL_GameControllerGetJoystick(controller) : nullptr;
    } else {
        joystick = SDL_JoystickOpen(deviceIndex);
    }
    if (!joystick) {
        if (controller)
            SDL_GameControllerClose(controller);
        return false;
    }
    slot.controller = controller;
    slot.joystick = joystick;
    slot.instance = SDL_JoystickInstanceID(joystick);
    slot.guid = SDL_JoystickGetGUID(joystick);
    slot.name = deviceName(deviceIndex);
    return true;
}

void SdlJoystickBackend::close(Slot& slot) {
    if (slot.controller)
        SDL_GameControllerClose(slot.controller);
    else if (slot.joystick)
        SDL_JoystickClose(slot.joystick);
    slot.controller = nullptr;
    slot.joystick = nullptr;
    slot.instance = -1;
}

void SdlJoystickBackend::pollEvents() {
    if (!available)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (!enumerated)
            continue;
        if (event.type == SDL_JOYDEVICEADDED)
            deviceAdded(event.jdevice.which);
        else if (event.type == SDL_JOYDEVICEREMOVED)
            deviceRemoved(event.jdevice.which);
    }
}

void SdlJoystickBackend::deviceAdded(int deviceIndex) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (instance == -1)
        return; // gone again already
    Slot* same = nullptr;
    Slot* gone = nullptr;
    const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(deviceIndex);
    const std::string name = deviceName(deviceIndex);
    for (Slot& slot : slots) {
        if (slot.instance == instance)
            return; // already ours
        if (slot.instance != -1)
            continue;
        if (!same && sameGuid(slot.guid, guid) && slot.name == name)
            same = &slot;
        if (!gone)
            gone = &slot;
    }
    Slot* target = same ? same : gone;
    if (!target)
        return;
    if (!open(deviceIndex, *target))
        reportJoystickError(SDL_GetError());
    // A controller opened now would show its triggers at rest until the next update: update
    // it at once, so the next poll reads the pad as it is held.
    SDL_GameControllerUpdate();
}

void SdlJoystickBackend::deviceRemoved(SDL_JoystickID instance) {
    for (Slot& slot : slots) {
        if (slot.instance == instance) {
            close(slot);
            slot.goneUnseen = true;
        }
    }
}

SdlJoystickBackend::Slot* SdlJoystickBackend::present(unsigned id) {
    if (id >= slots.size())
        return nullptr;
    Slot& slot = slots[id];
    if (!slot.joystick || !SDL_JoystickGetAttached(slot.joystick))
        return nullptr;
    return &slot;
}

unsigned SdlJoystickBackend::readPosition(unsigned id, JoystickPosition& position) {
    if (id >= slots.size())
        return MMSYSERR_BADDEVICEID;
    if (slots[id].goneUnseen) {
        slots[id].goneUnseen = false;
        return JOYERR_UNPLUGGED;
    }
    Slot* slot = present(id);
    if (!slot)
        return JOYERR_UNPLUGGED;
    if (slot->controller)
        controllerPosition(slot->controller, position);
    else
        rawPosition(slot->joystick, position);
    return JOYERR_NOERROR;
}

unsigned SdlJoystickBackend::readCaps(unsigned id, JoystickCaps& caps) {
    if (id >= slots.size())
        return MMSYSERR_BADDEVICEID;
    Slot* slot = present(id);
    if (!slot)
        return JOYERR_UNPLUGGED;
    if (slot->controller)
        controllerCaps(slot->controller, caps);
    else
        rawCaps(slot->joystick, caps);
    caps.productName = slot->name;
    return JOYERR_NOERROR;
}

bool SdlJoystickBackend::readName(unsigned id, std::string& name) {
    if (id >= slots.size() || slots[id].name.empty())
        return false;
    name = slots[id].name;
    return true;
}

bool SdlJoystickBackend::rumble(unsigned id, float strength, unsigned ms) {
    Slot* slot = present(id);
    if (!slot)
        return false;
    auto level = static_cast<Uint16>(std::lround(std::clamp(strength, 0.0f, 1.0f) * 65535.0f));
    if (slot->controller)
        return SDL_GameControllerRumble(slot->controller, level, level, ms) == 0;
    return SDL_JoystickRumble(slot->joystick, level, level, ms) == 0;
}
