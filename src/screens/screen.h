#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

class TraceLine;

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
    virtual void specialUp(int /*key*/, int /*x*/, int /*y*/) {}
    virtual void mouse(int /*button*/, int /*state*/, int /*x*/, int /*y*/) {}
    virtual void motion(int /*x*/, int /*y*/) {}
    // Runs while currentScreen still points at the previous screen: do not rely on it here.
    virtual void activate() {}
    virtual void deactivate() {}

    // Another window took the keyboard: keys held now will never be seen to go up, so let go
    // of them.
    virtual void keyboardFocusLost() {}

    // Whether the screen is ticked by a timer chain of its own right now (see AnimatedScreen).
    // Screens without one redraw on input only.
    virtual bool hasFrameChain() const { return false; }

    // The screen's name in a frame trace: "start", "welcome", "game" or "editor".
    virtual const char* traceName() const { return "screen"; }
    // Appends the screen's own fields to the frame's trace line, after "tick" and "screen".
    virtual void addTraceFields(TraceLine& /*line*/) const {}
};
