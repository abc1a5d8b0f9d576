#include "app/startscreen.h"

#include <GL/freeglut.h>

#include "app/frameclock.h"
#include "app/platform.h"
#include "app/shell.h"
#include "app/trace.h"

StartScreen* StartScreen::instance() {
    static StartScreen* screen = new StartScreen();
    return screen;
}

void StartScreen::display() {
    glClearColor(0.075f, 0.075f, 0.075f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFlush();
    presentFrame();
    scheduleNextFrame();
}

void StartScreen::reshape(int width, int height) {
    glViewport(0, 0, width, height);
}

void StartScreen::keyboard(unsigned char, int, int) {
    ++keyPresses;
}

void StartScreen::special(int, int, int) {
    ++keyPresses;
}

void StartScreen::activate() {
    reshape(windowWidth, windowHeight);
    AnimatedScreen::activate();
}

void StartScreen::addTraceFields(TraceLine& line) const {
    line.add("keyPresses", keyPresses);
}

void StartScreen::tick() {
    frameClock.tick();
    ++tickCount;
    platform().postRedisplay();
}
