#pragma once

#include "app/animatedscreen.h"

// The screen the program starts on until the menu screen exists: it clears the window and
// keeps the frame clock running on its timer chain. It counts the keys it is given, which
// its trace lines show.
class StartScreen : public AnimatedScreen {
public:
    static StartScreen* instance(); // created on first request, never freed

    void display() override;
    void reshape(int width, int height) override;
    void keyboard(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void activate() override;
    const char* traceName() const override { return "start"; }
    void addTraceFields(TraceLine& line) const override;

    // One timer tick: advances the frame clock and asks for the next frame.
    void tick() override;
    int ticks() const { return tickCount; }

private:
    int tickCount = 0;
    int keyPresses = 0; // character and special keys pressed while current
};
