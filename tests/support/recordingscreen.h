#pragma once

#include <string>
#include <vector>

#include "screens/animatedscreen.h"

// A screen that logs every operation it receives, as "name:operation" entries in a shared log.
// It animates like the game's screens: display() presents the frame and asks for the next.
class RecordingScreen : public AnimatedScreen {
public:
    RecordingScreen(std::string name, std::vector<std::string>* log);

    void display() override;
    void reshape(int width, int height) override;
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void activate() override;
    void deactivate() override;
    void keyboardFocusLost() override { record("keyboardFocusLost"); }
    const char* traceName() const override { return name.c_str(); }
    void addTraceFields(TraceLine& line) const override;

    // The frame-timer tick of this screen.
    void tick() override;

    int ticks = 0;
    bool armsOnActivate = false; // also ask for a frame in activate(), as the welcome screen does

private:
    void record(const std::string& what) { log->push_back(name + ":" + what); }

    std::string name;
    std::vector<std::string>* log;
};
