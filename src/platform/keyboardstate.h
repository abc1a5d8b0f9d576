#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

// Which character keys are held, as GLUT delivers them (case-sensitive: 'a' and 'A' are
// different slots), and the modifier bits of the last press or release. Special keys are
// never entered.
class KeyboardState {
public:
    // `modifiers` are the GLUT bits held with this press or release; without them, the
    // platform is asked (only inside a window's input callback does it know).
    void setKey(unsigned char key, bool isDown, int modifiers);
    void setKey(unsigned char key, bool isDown);
    bool isKeyDown(unsigned char key) const { return down[key] != 0; }
    // 0 = Shift, 1 = Ctrl, 2 = Alt; false for any other value.
    bool isModifierDown(int which) const;
    // Every key up, the modifiers too: nothing will be seen released any more.
    void releaseAll();

    unsigned char down[256] = {}; // 1 = held, indexed by the character GLUT delivers
    int modifiers = 0;            // glutGetModifiers() bits: 1 Shift, 2 Ctrl, 4 Alt
};
