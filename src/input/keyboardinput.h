#pragma once

// Input floor: what drives a player or a menu, read like a gamepad. May use GLUT's key codes;
// no window, no SDL.

#include <string>
#include <vector>

#include "input/inputsource.h"

// A gamepad made of keys, for whoever has none: each bound key holds one control a pad has (a
// stick direction, a trigger, a button) for as long as it is held. Only key presses and releases
// count: auto-repeat must be off (the screens that use one turn it off). A key pressed and
// released between two polls still reads as held at the next poll, so no tap is lost; a release
// without a press, or releases in any order, leave nothing held.
class KeyboardInput : public InputSource {
public:
    enum Control { STICK_UP, STICK_DOWN, STICK_LEFT, STICK_RIGHT, TRIGGER_A, TRIGGER_B, BUTTON };

    // GLUT's character keys are their codes 0..255; its special keys are told apart by this
    // offset (SPECIAL + GLUT_KEY_UP and so on).
    static constexpr int SPECIAL = 256;

    struct Binding {
        int key; // a character, or SPECIAL + a GLUT special key
        Control control;
        int button; // for BUTTON: 0..9
    };

    explicit KeyboardInput(std::vector<Binding> bindings);

    // The tank's keys: arrows drive and turn, Space uses the item, Tab selects the next one, and
    // Insert/Delete, Home/End, Page Up/Page Down turn layers (one pair per turning axis).
    static std::vector<Binding> tankKeys();
    // The menus' keys: arrows move (left and right change a setting), Enter chooses (button 0),
    // Escape goes back (button 1).
    static std::vector<Binding> menuKeys();

    // Key events as GLUT delivers them; true when the key is bound here.
    bool press(int key);
    bool release(int key);
    // Lets go of every key: when the window stops receiving them.
    void releaseAll();

    void update() override;
    StickPosition leftStick() const override;
    StickPosition rightStick() const override { return {}; }
    float triggerA() const override;
    float triggerB() const override;
    bool button(int index) const override;
    bool connected() const override { return true; }
    std::string name() const override { return "Keyboard"; }
    const char* kind() const override { return "keyboard"; }

private:
    struct KeyState {
        Binding binding;
        bool held = false;   // between its press and its release
        bool tapped = false; // pressed since the last poll
        bool active = false; // what the last poll read
    };
    bool anyActive(Control control, int buttonIndex = 0) const;

    std::vector<KeyState> keys;
};
