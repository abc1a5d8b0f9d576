#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

// Pointer position (window pixels, origin top-left) and button flags. Every input event
// updates the position, so dx()/dy() report the movement since the previous event of any kind.
class MouseState {
public:
    void setPosition(int newX, int newY);
    int dx() const { return x - prevX; }
    int dy() const { return y - prevY; }
    // GLUT button 0 left, 1 middle, 2 right; any other number is ignored.
    void setButton(int button, int state);

    int x = 0, y = 0;
    int prevX = 0, prevY = 0;
    bool leftDown = false, middleDown = false, rightDown = false;
};
