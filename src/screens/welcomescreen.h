#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <memory>
#include <string>
#include <vector>

#include "input/keyboardinput.h"
#include "input/menuinput.h"
#include "math/vectors.h"
#include "screens/animatedscreen.h"
#include "view/viewrandom.h"

struct GlmModel;
class RubiksCube;
class Tank;

// The first screen: the title, a turning display tank, the menu "Play", "Level Editor", "Quit"
// and, after "Play", the list of level files in levels/, with a small spinning Rubik's cube
// marking the selected row. Every gamepad moves the selection (stick) and chooses (button 0) or
// goes back (button 1); the arrow keys, Enter and Escape do the same. Owns its title model,
// display tank, marker cube and menu inputs. Created on first request, after GLUT has started.
class WelcomeScreen : public AnimatedScreen {
public:
    static constexpr int VISIBLE_ROWS = 5; // level names shown at once

    static WelcomeScreen* instance(); // created on first request, never freed
    // Frees the title model, the display tank and the marker cube, at the end of the run.
    void release();

    void display() override;
    void reshape(int width, int height) override;
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    // Another window took the keyboard: its key releases will never come here.
    void keyboardFocusLost() override { keyboardKeys.releaseAll(); }
    void activate() override;
    void deactivate() override;
    const char* traceName() const override { return "welcome"; }
    void addTraceFields(TraceLine& line) const override;

    // One tick of the frame timer: the menu inputs, the marker cube.
    void tick() override;
    // Handles one input's poll: moves the selection, chooses, goes back.
    void handleInput(MenuInput& input, bool fromKeyboard);
    void chooseMenuItem(int item);
    // Starts the level at `index` of the list; the keyboard joins the match as a player when it
    // chose the level (or when no pad is connected). False, staying here, when it cannot load.
    bool startLevel(int index, bool fromKeyboard = false);
    // The same for a level given by name (the --level option).
    bool startLevelNamed(const std::string& name);
    // The line at the bottom: what can play.
    std::string statusLine() const;

    const char* menuItems[3] = {"Play", "Level Editor", "Quit"};
    int mode = 0;            // 0 the main menu, 1 the level list
    float textScale = 1.0f;  // the widest menu item is 0.45 units wide
    float markerSize = 0.0f; // half a scaled "W": the marker's spacing from its row
    float halfAspect = 0.5f; // half the window's aspect ratio
    int scroll = 0;          // first level shown
    std::vector<std::string> levels;
    GlmModel* titleModel = nullptr; // owned
    Vec3f titleSize;                // after scaling to width 1
    Tank* displayTank = nullptr;    // owned, not in any world
    RubiksCube* marker = nullptr;   // owned
    ViewRandom markerRandom{7};     // the layers the marker turns: its own, not the match's
    float markerAngle = 0.0f;       // degrees about the vertical
    float markerSpin = 90.0f;       // degrees per second
    int selected = 0;               // the menu item, or the visible list row
    std::vector<MenuInput> inputs;  // one per gamepad
    KeyboardInput keyboardKeys;     // the arrow keys, Enter and Escape
    MenuInput keyboardInput;        // edge detection of keyboardKeys
    std::string message;            // why the last choice did nothing, shown until the next one

private:
    WelcomeScreen();
    static float rowY(int row) { return 0.12f - 0.1f * static_cast<float>(row); }
    float textX() const { return halfAspect - 0.55f; }
    void moveInList(int step);
    void drawTitle() const;
    void drawDisplayTank() const;
    void drawRows() const;
    void drawMarker() const;
    void drawStatus() const;
};
