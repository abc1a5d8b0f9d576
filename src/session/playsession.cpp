#include "session/playsession.h"

#include <GL/freeglut.h>
#include <cstdio>

#include "entities/tank.h"
#include "math/text.h"
#include "platform/platform.h"
#include "platform/screenshot.h"
#include "screens/gamescreen.h"
#include "screens/shell.h"
#include "session/soundsetup.h"

PlaySession::PlaySession(const Options& options, std::vector<ScriptEvent> events, PadSink& pads)
    : events(std::move(events)), screenshots(options.screenshots),
      taken(options.screenshots.size(), false), tracePath(options.tracePath),
      exitAfter(options.exitAfter), fast(options.fast), padCount(options.pads), pads(pads),
      saveScreenshot([](const std::string& path, std::string& error) {
          return saveBackBufferPng(path, windowWidth, windowHeight, error);
      }),
      driver([this] { driverTick(); }) {}

// The frame chains ask for what is left of each 1/60 s; a fast run asks for nothing, so the
// frames follow each other as fast as they are drawn.
void PlaySession::install() {
    setFrameObserver(this);
    if (fast)
        FrameChain::setUnpaced(true);
}

void PlaySession::uninstall() {
    if (frameObserver() == this)
        setFrameObserver(nullptr);
    if (fast)
        FrameChain::setUnpaced(false);
}

PlaySession::~PlaySession() {
    uninstall();
}

bool PlaySession::openTrace(std::string& error) {
    if (tracePath.empty())
        return true;
    if (!trace.open(tracePath, error)) {
        error = "cannot write the trace " + tracePath + ": " + error;
        return false;
    }
    return true;
}

void PlaySession::attachPads() {
    std::string error;
    if (padCount > 0 && !pads.attach(padCount, error))
        fail("Cannot attach " + std::to_string(padCount) + " pads: " + error);
}

void PlaySession::fail(const std::string& message) {
    ++failures;
    printf("%s\n", printable(message, true).c_str());
    fflush(stdout);
}

int PlaySession::finish() {
    for (size_t i = 0; i < screenshots.size(); ++i)
        if (!taken[i])
            fail("Screenshot " + screenshots[i].path + " was not taken: frame " +
                 std::to_string(screenshots[i].frame) + " was not drawn");
    trace.close();
    uninstall();
    return failures > 0 ? 1 : 0;
}

bool PlaySession::needsFrames() const {
    if (hasEnded)
        return false;
    bool shotsLeft = false;
    for (bool done : taken)
        shotsLeft = shotsLeft || !done;
    return trace.isOpen() || nextEvent < events.size() || shotsLeft || exitAfter >= 0;
}

bool PlaySession::pictureWanted() const {
    for (size_t i = 0; i < screenshots.size(); ++i)
        if (!taken[i] && screenshots[i].frame == frameNumber)
            return true;
    return false;
}

void PlaySession::beginFrame() {
    if (hasEnded)
        return;
    // A tick whose display never came (a busy machine, a hidden window): a frame whose picture
    // was asked for is drawn now, so a run's pictures never depend on the machine's pace;
    // any other ends without one.
    if (frameOpen && pictureWanted() && currentScreen != nullptr) {
        currentScreen->display();
        afterDisplay();
    }
    if (frameOpen)
        endFrame();
    frameOpen = true;
    // Invariant: every event of an earlier frame has been applied.
    while (nextEvent < events.size() && events[nextEvent].frame <= frameNumber)
        applyEvent(events[nextEvent++]);
}

namespace {

// The edit goes through the game screen, so that a record of the match keeps it.
bool setTankHealth(int playerIndex, int health, std::string& error) {
    GameScreen* game = GameScreen::instance();
    if (playerIndex < 0 && currentScreen != game)
        return true; // every tank of no match: none
    if (currentScreen != game) {
        error = "no match is running";
        return false;
    }
    if (playerIndex < 0) { // every seat still in the round, the computer tanks too
        for (size_t seat = 0; seat < game->match->seats.size(); ++seat) {
            const Tank* tank = game->match->seats[seat]->tank;
            if (tank && tank->getHealth() > 0 &&
                !game->editMatch(
                    MatchEdit{MatchEdit::Kind::SET_HEALTH, static_cast<int>(seat), health}, error))
                return false;
        }
        return true;
    }
    return game->editMatch(MatchEdit{MatchEdit::Kind::SET_HEALTH, playerIndex, health}, error);
}

} // namespace

void PlaySession::applyEvent(const ScriptEvent& event) {
    std::string error;
    bool done = true;
    switch (event.kind) {
    case ScriptEvent::Kind::KEY:
        injectKeyboard(static_cast<unsigned char>(event.key), event.down,
                       scriptKeyModifiers(event));
        break;
    case ScriptEvent::Kind::SPECIAL_KEY:
        injectSpecial(event.key, event.down);
        break;
    case ScriptEvent::Kind::MOUSE:
        onMouse(event.button, event.down ? GLUT_DOWN : GLUT_UP, event.x, event.y);
        break;
    case ScriptEvent::Kind::MOTION:
        onMotion(event.x, event.y);
        break;
    case ScriptEvent::Kind::PAD_CONTROL:
        done = pads.setControl(event.pad, event.control, event.value, error);
        break;
    case ScriptEvent::Kind::PAD_UNPLUG:
        done = pads.unplug(event.pad, error);
        break;
    case ScriptEvent::Kind::PAD_PLUG:
        done = pads.plug(event.pad, error);
        break;
    case ScriptEvent::Kind::TANK_HEALTH:
        done = setTankHealth(event.pad, event.key, error);
        break;
    }
    if (!done)
        fail("Script line " + std::to_string(event.line) + " (frame " +
             std::to_string(event.frame) + "): " + error);
}

void PlaySession::beforeSwap() {
    if (!frameOpen)
        return;
    for (size_t i = 0; i < screenshots.size(); ++i) {
        if (taken[i] || screenshots[i].frame != frameNumber)
            continue;
        std::string error;
        taken[i] = true;
        if (!saveScreenshot(screenshots[i].path, error))
            fail("Cannot save the screenshot " + screenshots[i].path + ": " + error);
    }
}

void PlaySession::afterDisplay() {
    if (frameOpen)
        endFrame();
    if (needsFrames() && currentScreen != nullptr && !currentScreen->hasFrameChain())
        driver.arm();
}

void PlaySession::endFrame() {
    frameOpen = false;
    writeTrace();
    if (frameNumber == exitAfter) {
        hasEnded = true;
        trace.close();
        platform().leaveMainLoop();
    }
    ++frameNumber;
}

void PlaySession::writeTrace() {
    if (!trace.isOpen())
        return;
    TraceLine line;
    line.add("tick", frameNumber);
    line.add("screen", currentScreen ? currentScreen->traceName() : "none");
    if (currentScreen)
        currentScreen->addTraceFields(line);
    addSoundTraceFields(line);
    std::string error;
    if (!trace.write(line, error)) {
        trace.close(); // one message, not one a frame
        fail("Cannot write the trace " + tracePath + ": " + error);
    }
}

void PlaySession::driverTick() {
    if (!needsFrames() || currentScreen == nullptr || currentScreen->hasFrameChain())
        return; // the screen's own chain makes the frames now
    beginFrame();
    platform().postRedisplay();
    // The next frame does not wait for this one's picture, which may never come; once this
    // frame's events are applied the run may need no more.
    if (needsFrames())
        driver.arm();
}
