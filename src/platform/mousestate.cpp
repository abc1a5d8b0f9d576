#include "platform/mousestate.h"

#include <GL/freeglut.h>

void MouseState::setPosition(int newX, int newY) {
    prevX = x;
    prevY = y;
    x = newX;
    y = newY;
}

void MouseState::setButton(int button, int state) {
    bool isDown = state == GLUT_DOWN;
    switch (button) {
    case 0:
        leftDown = isDown;
        break;
    case 1:
        middleDown = isDown;
        break;
    case 2:
        rightDown = isDown;
        break;
    default:
        break;
    }
}
