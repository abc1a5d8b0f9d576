#pragma once

// One screen of the program (welcome, game, level editor). The shell forwards every GLUT
// event to the current screen; every operation does nothing unless a screen overrides it.
// Screens live until the program ends; switchScreen does not own them.
class Screen {
public:
    virtual ~Screen() = default;

    virtual void display() {}
    virtual void reshape(int /*width*/, int /*height*/) {} // pixels
    virtual void keyboard(unsigned char /*key*/, int /*x*/, int /*y*/) {}
    virtual void keyboardUp(unsigned char /*key*/, int /*x*/, int /*y*/) {}
    virtual void special(int /*key*/, int /*x*/, int /*y*/) {}
    virtual void mouse(int /*button*/, int /*state*/, int /*x*/, int /*y*/) {}
    virtual void motion(int /*x*/, int /*y*/) {}
    // Runs while currentScreen still points at the previous screen: do not rely on it here.
    virtual void activate() {}
    virtual void deactivate() {}
};

// Deactivates the current screen (if any), activates `next`, makes it current and asks for
// a redisplay. Switching to the current screen deactivates and re-activates it.
void switchScreen(Screen* next);
