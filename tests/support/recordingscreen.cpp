#include "support/recordingscreen.h"

#include "platform/platform.h"
#include "platform/traceline.h"
#include "screens/shell.h"

RecordingScreen::RecordingScreen(std::string name, std::vector<std::string>* log)
    : name(std::move(name)), log(log) {}

void RecordingScreen::display() {
    record("display");
    presentFrame();
    scheduleNextFrame();
}

void RecordingScreen::reshape(int width, int height) {
    record("reshape " + std::to_string(width) + "x" + std::to_string(height));
}

void RecordingScreen::keyboard(unsigned char key, int x, int y) {
    record(std::string("keyboard ") + static_cast<char>(key) + " " + std::to_string(x) + "," +
           std::to_string(y));
}

void RecordingScreen::keyboardUp(unsigned char key, int, int) {
    record(std::string("keyboardUp ") + static_cast<char>(key));
}

void RecordingScreen::special(int key, int, int) {
    record("special " + std::to_string(key));
}

void RecordingScreen::specialUp(int key, int, int) {
    record("specialUp " + std::to_string(key));
}

void RecordingScreen::mouse(int button, int state, int x, int y) {
    record("mouse " + std::to_string(button) + " " + std::to_string(state) + " " +
           std::to_string(x) + "," + std::to_string(y));
}

void RecordingScreen::motion(int x, int y) {
    record("motion " + std::to_string(x) + "," + std::to_string(y));
}

void RecordingScreen::activate() {
    record("activate");
    AnimatedScreen::activate();
    if (armsOnActivate)
        scheduleNextFrame();
}

void RecordingScreen::deactivate() {
    record("deactivate");
    AnimatedScreen::deactivate();
}

void RecordingScreen::addTraceFields(TraceLine& line) const {
    line.add("ticks", ticks);
}

void RecordingScreen::tick() {
    ++ticks;
    record("tick");
    platform().postRedisplay();
}
