#pragma once

#include <string>
#include <vector>

#include "app/animatedscreen.h"

// A screen that logs every operation it receives, as "name:operation" entries in a shared log.
class RecordingScreen : public AnimatedScreen {
public:
    RecordingScreen(std::string name, std::vector<std::string>* log);
    ~RecordingScreen() override;
    RecordingScreen(const RecordingScreen&) = delete;
    RecordingScreen& operator=(const RecordingScreen&) = delete;

    void display() override;
    void reshape(int width, int height) override;
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void activate() override;
    void deactivate() override;

    // The frame-timer tick of this screen.
    void tick();

    int ticks = 0;

private:
    void record(const std::string& what) { log->push_back(name + ":" + what); }

    std::string name;
    std::vector<std::string>* log;
    int id; // the timer value that reaches this screen's tick
};
