#pragma once

#include "app/animatedscreen.h"

// The screen the program starts on until the menu screen exists: it clears the window and
// keeps the frame clock running on the 16 ms timer chain.
class StartScreen : public AnimatedScreen {
public:
    static StartScreen* instance(); // created on first request, never freed

    void display() override;
    void reshape(int width, int height) override;
    void activate() override;

    // One timer tick: advances the frame clock and asks for the next frame.
    void tick();
    int ticks() const { return tickCount; }

private:
    int tickCount = 0;
};
