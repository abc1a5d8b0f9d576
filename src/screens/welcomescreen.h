#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "input/keyboardinput.h"
#include "input/menuinput.h"
#include "match/match.h"
#include "math/vectors.h"
#include "net/netprotocol.h"
#include "places/settings.h"
#include "screens/animatedscreen.h"
#include "screens/levelcatalogue.h"
#include "view/viewrandom.h"

struct GlmModel;
class RubiksCube;
class Tank;

// The first screen: the title, a turning display tank, the menu "Play", "Level Editor",
// "Settings", "Watch last match" (where the player's replays folder holds a record), "Play
// Online", "Quit"; after "Play", the list of the shipped levels and the player's own; after
// "Settings", a row per setting a player changes while playing; after "Play Online", "Host" (the
// level list again, whose choice hosts a match) and "Join" (a line to type the host's address
// in). A small spinning Rubik's cube marks the selected row. Every gamepad moves the selection
// (stick) and chooses (button 0) or goes back (button 1); the arrow keys, Enter and Escape do the
// same; on the Settings rows left and right change the value. Owns its title model, display
// tank, marker cube, menu inputs and the player's settings. Created on first request, after GLUT
// has started.
class WelcomeScreen : public AnimatedScreen {
public:
    static constexpr int VISIBLE_ROWS = 5;              // level names shown at once
    static constexpr int MENU_ITEMS = 4;                // always there, in menuItems
    static constexpr int WATCH_LAST_MATCH = MENU_ITEMS; // the item shown only where a record is
    static constexpr int PLAY_ONLINE = MENU_ITEMS + 1;  // just above "Quit"
    static constexpr size_t MAX_ADDRESS = 64;           // bytes typed on the Join line
    // ONLINE: the rows "Host" and "Join"; JOIN_ADDRESS: the line the address is typed on.
    enum Mode { MAIN_MENU = 0, LEVEL_LIST = 1, SETTINGS = 2, ONLINE = 3, JOIN_ADDRESS = 4 };
    enum OnlineRow { ONLINE_HOST = 0, ONLINE_JOIN = 1, ONLINE_ROWS = 2 };

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
    // `item`: an index of menuItems, WATCH_LAST_MATCH or PLAY_ONLINE.
    void chooseMenuItem(int item);
    // The main menu's items in their rows: "Watch last match" where lastRecord is one, then
    // "Play Online", above "Quit".
    std::vector<int> menuRows() const;
    // Watches lastRecord; false, staying here with a message, when it cannot be replayed.
    bool watchLastMatch();
    // Starts the level at `index` of the list; the keyboard joins the match as a player when it
    // chose the level (or when no pad is connected). False, staying here, when it cannot load.
    bool startLevel(int index, bool fromKeyboard = false);
    // The same for a level given by name (the --level option).
    bool startLevelNamed(const std::string& name);
    // Hosts a match on the level at `index` of the list, with the setup shown, on hostPort, and
    // goes to the online screen's lobby. False, staying here with a message, when the level
    // cannot be loaded or the port cannot be had.
    bool hostLevel(int index);
    // A key typed on the Join line: a printable character is added (up to MAX_ADDRESS), Backspace
    // takes the last one off.
    void typeAddress(unsigned char key);
    // Joins the address typed, remembering it in the settings file, and goes to the online
    // screen. False, staying here with the reason, for an address that is none or names no
    // machine.
    bool joinTyped();
    // The line at the bottom: what can play.
    std::string statusLine() const;
    // The Settings rows: indexes into Settings::keys() of the settings that have one.
    static std::vector<size_t> settingRows();
    // Leaves the Settings rows for the main menu, writing the settings file when they changed.
    void leaveSettings();

    // The match setup on the level list: three rows beside the list, reached by moving up from
    // its first level; left and right change the one the marker is on.
    enum SetupRow { SETUP_COMPUTERS = 0, SETUP_DIFFICULTY = 1, SETUP_ROUNDS = 2, SETUP_ROWS = 3 };
    // The most computer tanks the list offers: the faces the pads connected now leave free
    // (the keyboard counts as one when no pad is).
    int mostComputers() const;
    // One step of left (-1) or right (+1) on setup row `row`: computer tanks 0 .. mostComputers,
    // difficulty round its three, rounds to win round 1, 3, 5. The settings keep the choice.
    void changeSetup(int row, int direction);
    // "Computer tanks: 2", "Difficulty: Normal", "Rounds to win: 3".
    std::string setupText(int row) const;
    // Takes the setup the settings file remembers, then what the command line gave.
    void takeSetup(const MatchSettings& given, bool botsGiven, bool difficultyGiven,
                   bool roundsGiven);

    const char* menuItems[MENU_ITEMS] = {"Play", "Level Editor", "Settings", "Quit"};
    int mode = MAIN_MENU;
    float textScale = 1.0f;  // the widest menu item is 0.45 units wide
    float markerSize = 0.0f; // half a scaled "W": the marker's spacing from its row
    float halfAspect = 0.5f; // half the window's aspect ratio
    int scroll = 0;          // first level shown
    std::vector<LevelEntry> levels;
    std::string lastRecord;         // the newest record of the replays folder, found on activation
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
    Settings settings;              // as the settings file has them, changed on the Settings rows
    std::string settingsPath;       // the settings file; main sets it
    Settings settingsOnEntry;       // as they were when the Settings rows were entered
    int padsConnected = 0;          // at the last tick, to hear a pad come or go
    MatchSettings setup;            // what the next match started from the list plays
    int setupRow = -1;              // the setup row the marker is on; -1 on the levels
    bool listHosts = false;         // the level list's choice hosts a match rather than plays one
    uint16_t hostPort = net::DEFAULT_PORT; // where Host listens; 0 for any free port
    std::string address;                   // the Join line, as typed
    bool backFromOnline = false;           // the menu comes back onto "Play Online"

private:
    WelcomeScreen();
    static float rowY(int row) { return 0.12f - 0.1f * static_cast<float>(row); }
    float textX() const { return halfAspect - 0.55f; }
    // The text scale of a row: the menu's, or less for a text that would run out of the window.
    float rowScale(const std::string& text) const;
    void moveInList(int step);
    void handleSettingsInput(MenuInput& input);
    void applySetting(size_t key);
    int connectedPads() const;
    void hearPads();
    void drawTitle() const;
    void drawDisplayTank() const;
    void drawRows() const;
    void drawSettingRows() const;
    void drawSetupRows() const;
    float setupX() const; // the setup rows' left end
    void handleListInput(MenuInput& input, bool fromKeyboard);
    void handleOnlineInput(MenuInput& input);
    int rowOf(int item) const; // the main menu's row of `item` (of menuRows())
    void leaveLevelList();
    void drawOnlineRows() const;
    void drawListHeading() const;
    // Writes the settings file when the setup was changed since it was last written.
    void saveSetup();
    bool setupChanged = false;
    void drawMarker() const;
    void drawStatus() const;
};
