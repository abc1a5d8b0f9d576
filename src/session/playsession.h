#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <functional>
#include <string>
#include <vector>

#include "input/padsink.h"
#include "platform/framechain.h"
#include "screens/frameobserver.h"
#include "session/options.h"
#include "session/script.h"
#include "session/tracefile.h"

// The scripted side of a run, for tests, demos and bug reports: replays the script's events
// before the frames they name, writes a trace line after every frame, saves the screenshots
// asked for, and leaves the main loop after the last frame of the run. While any of that is
// still to come and the current screen has no timer chain of its own (the level editor
// redraws on input only), it drives the frames itself, 60 a second, so that scripts reach
// every screen. A fast run's frames follow each other as soon as each is drawn. A run without
// any of these options has no session at all.
//
// Owned by main, which installs it as the shell's frame observer for a scripted run; it
// uninstalls itself when destroyed. Does not own the pad sink.
class PlaySession : public FrameObserver {
public:
    // Saves the back buffer as a PNG; replaceable for tests without a window.
    using ScreenshotSaver = std::function<bool(const std::string& path, std::string& error)>;

    PlaySession(const Options& options, std::vector<ScriptEvent> events, PadSink& pads);
    ~PlaySession() override;
    PlaySession(const PlaySession&) = delete;
    PlaySession& operator=(const PlaySession&) = delete;

    // Makes this the shell's frame observer; for a fast run, also makes every frame timer fire
    // at once (until the session is finished or destroyed).
    void install();
    // Creates the trace file, if one is asked for. False, with `error` saying why, when it
    // cannot be.
    bool openTrace(std::string& error);
    // Attaches the virtual pads asked for; a failure is printed and fails the run.
    void attachPads();
    void setScreenshotSaver(ScreenshotSaver saver) { saveScreenshot = std::move(saver); }
    // After the main loop: reports what was asked for and not done. The exit status: 0, or 1
    // when any screenshot, trace line or pad event failed or never happened.
    int finish();

    void beginFrame() override;
    void beforeSwap() override;
    void afterDisplay() override;

    int frame() const { return frameNumber; } // the frame running, or the next one
    bool ended() const { return hasEnded; }   // the last frame asked for is done

private:
    bool needsFrames() const;
    // Whether a picture of the open frame was asked for and not taken yet.
    bool pictureWanted() const;
    void applyEvent(const ScriptEvent& event);
    void endFrame();
    void writeTrace();
    void driverTick();
    void fail(const std::string& message);
    void uninstall();

    std::vector<ScriptEvent> events; // ordered by frame
    size_t nextEvent = 0;            // events before it have been applied
    std::vector<ScreenshotRequest> screenshots;
    std::vector<bool> taken; // per screenshot
    std::string tracePath;
    int exitAfter;
    bool fast;
    int padCount;
    PadSink& pads;
    TraceFile trace;
    ScreenshotSaver saveScreenshot;
    FrameChain driver; // frames for a screen without a chain of its own
    int frameNumber = 0;
    bool frameOpen = false; // its tick has run and its display has not finished yet
    bool hasEnded = false;
    int failures = 0;
};
