#pragma once

// SDL pads floor: the system's pads through SDL2, and virtual pads for scripted play; the only
// code that includes SDL. May use input.

#include <string>
#include <vector>

#include <SDL.h>

#include "input/joystickbackend.h"

// The system's pads through SDL's game controller support, each presented as a Windows game
// pad (see sdlpadreading.h). Device ids are slots fixed at the first deviceCount(): one per
// pad then present, virtual pads first (so a script's pad 0 is gamepad 0), then the others in
// SDL's order. A slot whose pad has gone reads JOYERR_UNPLUGGED, at least once per going. A pad
// that appears later takes the gone slot of the same pad (same GUID and name) if there is one, else
// the first gone slot; with no slot gone it is not used.
class SdlJoystickBackend : public JoystickBackend {
public:
    SdlJoystickBackend(); // starts SDL's pads; without them (reported once) there are none
    ~SdlJoystickBackend() override;
    SdlJoystickBackend(const SdlJoystickBackend&) = delete;
    SdlJoystickBackend& operator=(const SdlJoystickBackend&) = delete;

    unsigned deviceCount() override;
    unsigned readPosition(unsigned id, JoystickPosition& position) override;
    unsigned readCaps(unsigned id, JoystickCaps& caps) override;
    bool readName(unsigned id, std::string& name) override;
    // Drains SDL's events (which also refreshes every pad's state) and binds or frees slots.
    void pollEvents() override;
    // SDL_GameControllerRumble (SDL_JoystickRumble for a pad without a mapping), both motors
    // at `strength`.
    bool rumble(unsigned id, float strength, unsigned ms) override;

private:
    // One device id. The pad's GUID and name stay when it goes, to know it again.
    struct Slot {
        SDL_JoystickID instance = -1;             // -1 while the slot's pad is gone
        SDL_GameController* controller = nullptr; // owned; null for a pad without a mapping
        SDL_Joystick* joystick = nullptr;         // owned (the controller's own when it has one)
        SDL_JoystickGUID guid{};
        std::string name;
        // Set when the pad goes, cleared by the next position read, which fails: a pad gone
        // and replaced between two reads is still seen to go (and the newcomer read anew).
        bool goneUnseen = false;
    };

    void enumerate();
    bool open(int deviceIndex, Slot& slot);
    void close(Slot& slot);
    void deviceAdded(int deviceIndex);
    void deviceRemoved(SDL_JoystickID instance);
    Slot* present(unsigned id);

    bool available = false;
    bool enumerated = false;
    std::vector<Slot> slots;
};
