#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <string>
#include <vector>

#include "match/match.h"

// A picture to save right after a frame is drawn.
struct ScreenshotRequest {
    int frame;        // frame number, from 0
    std::string path; // PNG file
};

// The command line. Without any option the program runs as a player starts it: the window,
// the menus, no script.
struct Options {
    static constexpr int MAX_PADS = 16;
    static constexpr int MAX_WINDOW_SIDE = 16384; // pixels
    // The smallest window that shows six views with their displays: 2 x 3 views of 80 x 40.
    static constexpr int MIN_WINDOW_WIDTH = 160;
    static constexpr int MIN_WINDOW_HEIGHT = 120;

    int pads = 0;           // virtual game controllers attached before the joysticks are counted
    std::string scriptPath; // timeline of input events; empty for none
    std::string level;      // name of a level, as the list shows it, to start a match on; empty
                            // for the menu
    bool seeded = false;    // whether `seed` replaces the clock's seed
    unsigned int seed = 0;
    bool fixedStep = false; // every tick advances the game by exactly 1/60 s
    bool fast = false;      // frames one after another, not 60 a second; implies fixedStep
    std::string tracePath;  // one JSON line per frame; empty for none
    std::vector<ScreenshotRequest> screenshots;
    int exitAfter = -1; // last frame before the program ends; -1 to run until closed
    // The window: what is given here wins over the settings file for this run, unsaved.
    bool sizeGiven = false; // --size: width and height replace the settings' window size
    int width = 800;        // pixels
    int height = 600;
    bool fullscreen = false; // --fullscreen; without it the settings say
    // "auto", "on" or "off" for antialiased edges through a multisampled window; empty for what
    // the settings say. A software renderer draws about twice as fast without them.
    std::string multisample;
    std::string dataFolder; // --data: where the game's data is, before anywhere else
    // Sound: what is given here wins over the settings file for this run, unsaved.
    static constexpr int MAX_VOLUME = 10;
    bool mute = false;      // --mute: no audio device at all
    int effectsVolume = -1; // 0..10; -1 for what the settings say
    int musicVolume = -1;   // 0..10; -1 for what the settings say
    bool noRumble = false;  // --no-rumble: pads never shake, whatever the settings say
    std::string recordPath; // file the first match of the run is recorded into; empty for none
    std::string replayPath; // record to watch (or verify) instead of the menus; empty for none
    bool verify = false;    // check the replay's record headless instead of watching it
    // Online play: host (on hostPort) or join (joinAddress, "HOST[:PORT]"), not both. With
    // --machines the host starts the match on --level as soon as that many machines are
    // connected, itself included; without, from its lobby.
    bool hosting = false;
    int hostPort = 0;        // 1..65535; 0 until given (the default port)
    std::string joinAddress; // empty for none
    int machines = 0;        // 2..6; 0 for the lobby's start
    bool help = false;       // print the usage and stop
    bool version = false;    // print the version and stop
    // The match setup asked for (--bots, --difficulty, --rounds): for a match started with
    // --level, and what the level list starts with. Each is only a choice when given.
    MatchSettings setup;
    bool botsGiven = false, difficultyGiven = false, roundsGiven = false;
    // GLUT's own options (-display, -geometry, ...) in their order, passed on to glutInit.
    std::vector<std::string> glutArguments;

    // Whether the run needs a play session: frames that must keep coming for a script, trace,
    // screenshot or end of the run, or frames that must not wait for the clock.
    bool scripted() const {
        return !scriptPath.empty() || !tracePath.empty() || !screenshots.empty() ||
               exitAfter >= 0 || fast;
    }
};

// Parses the arguments after the program name. Options take their value as the next argument
// or after '=' (--pads 2, --pads=2); a later option of the same kind replaces an earlier one,
// except --screenshot, which adds. False, with `error` naming the argument and what is wrong,
// for anything not understood.
bool parseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error);

// The text printed with --help and after a bad argument.
const char* usageText();
