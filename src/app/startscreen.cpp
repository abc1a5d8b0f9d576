#include "app/startscreen.h"

#include <GL/freeglut.h>

#include "app/frameclock.h"
#include "app/shell.h"

namespace {
void startTick(int) {
    StartScreen::instance()->tick();
}
} // namespace

StartScreen* StartScreen::instance() {
    static StartScreen* screen = new StartScreen();
    return screen;
}

void StartScreen::display() {
    glClearColor(0.075f, 0.075f, 0.075f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFlush();
    glutSwapBuffers();
    scheduleNextFrame(startTick);
}

void StartScreen::reshape(int width, int height) {
    glViewport(0, 0, width, height);
}

void StartScreen::activate() {
    reshape(windowWidth, windowHeight);
    AnimatedScreen::activate();
}

void StartScreen::tick() {
    frameClock.tick();
    ++tickCount;
    platform().postRedisplay();
}
