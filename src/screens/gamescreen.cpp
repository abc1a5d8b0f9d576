#include "screens/gamescreen.h"

#include <GL/gl.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "math/text.h"
#include "platform/frameclock.h"
#include "platform/platform.h"
#include "replay/recordfolder.h"
#include "screens/gamesound.h"
#include "screens/shell.h"
#include "view/playerlayout.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

unsigned int clockSeed() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<unsigned int>(now ^ (now >> 32));
}

constexpr float DEMO_TURN = 0.15f; // radians a second the overview turns with no player

} // namespace

GameScreen::GameScreen() : keyboardKeys(KeyboardInput::tankKeys()) {}

GameScreen* GameScreen::instance() {
    static GameScreen* screen = new GameScreen();
    return screen;
}

bool GameScreen::startGame(std::string levelPath, bool withKeyboard, const MatchSettings& setup) {
    LevelSource level;
    if (!levelPath.empty()) {
        level.name = std::filesystem::path(levelPath).filename().string();
        if (!readLevelText(levelPath, level.text))
            return false;
    }
    auto next =
        std::make_unique<Match>(std::move(level), setup, matchSeed ? *matchSeed : clockSeed());
    if (!next->world)
        return false;
    endGame();
    match = next.release();
    // Without a pad the keyboard plays, unless computer tanks fill the match: then it is a
    // demo that the keyboard did not ask to join.
    bool noPad = JoystickManager::instance()->connectedGamepads().empty();
    createPlayers(withKeyboard || (noPad && setup.computerTanks == 0));
    for (Player* player : players)
        match->addSeat(player);
    addComputerSeats(*match, setup.computerTanks, setup.difficulty, computers);
    overviewCamera = new WorldCamera();
    overviewCamera->zoomToFit(match->world->halfExtent(), OVERVIEW_FOV);
    viewMode = players.empty() ? 0 : 1;
    startRecording();
    return true;
}

void GameScreen::startRecording() {
    std::string path = recordPath ? recordPath() : std::string();
    recordingAsked = !path.empty();
    if (path.empty() && !replayFolder.empty()) {
        std::string error;
        path = nextKeptRecordPath(replayFolder, MATCHES_KEPT, std::time(nullptr), error);
        if (!error.empty())
            printf("%s\n", error.c_str());
    }
    if (path.empty())
        return;
    recorder = std::make_unique<MatchRecorder>(*match, path, gameVersion);
    if (recorder->failed()) {
        recordingFailed = recordingFailed || recordingAsked;
        recorder.reset();
    } else {
        printf("Recording the match into %s\n", path.c_str());
    }
}

// The record's last block, its end mark and the file closed: while the match is still there.
void GameScreen::stopRecording() {
    if (!recorder)
        return;
    recorder->finish();
    recordingFailed = recordingFailed || (recordingAsked && recorder->failed());
    recorder.reset();
}

bool GameScreen::editMatch(const MatchEdit& edit, std::string& error) {
    if (!match) {
        error = "no match is running";
        return false;
    }
    if (replay) {
        error = "a replay plays its record's edits only";
        return false;
    }
    if (online) { // every machine makes it at the same tick
        online->edit(edit);
        return true;
    }
    if (recorder)
        recorder->beforeTick(); // the state before the first tick, if this comes before it
    if (!applyMatchEdit(*match, edit, error))
        return false;
    if (recorder)
        recorder->noteEdit(edit);
    return true;
}

void GameScreen::endGame() {
    stopRecording();
    // The match first: it lets go of the players' tanks before its world goes.
    delete match;
    match = nullptr;
    computers.clear();
    remoteSeats.clear();
    for (Player* player : players)
        delete player;
    players.clear();
    onlineInputs.clear(); // after the seats that read them
    online.reset();       // a host that leaves ends the match on the others
    onlineTick = 0;
    onlineStoppedFrames = 0;
    delete overviewCamera;
    overviewCamera = nullptr;
    // The next match may be made where this one was: what was heard of this one goes with it.
    sounds = MatchSounds();
    replay.reset(); // after the players, whose sources it owns
}

// Only pads plugged in now take a seat: an unplugged one would leave a tank nobody drives.
void GameScreen::createPlayers(bool withKeyboard) {
    std::vector<Gamepad*> pads = JoystickManager::instance()->connectedGamepads();
    static bool reported = false;
    if (pads.size() > MAX_PLAYERS && !reported) {
        reported = true;
        for (size_t i = MAX_PLAYERS; i < pads.size(); ++i)
            printf("Pad %d (%s) does not join: a match has at most %d players.\n",
                   pads[i]->joystick ? pads[i]->joystick->Index() + 1 : 0,
                   printable(pads[i]->name()).c_str(), MAX_PLAYERS);
    }
    for (size_t i = 0; i < pads.size() && i < MAX_PLAYERS; ++i)
        players.push_back(new Player(pads[i]));
    if (withKeyboard && players.size() < MAX_PLAYERS) {
        keyboardKeys.releaseAll();
        players.push_back(new Player(&keyboardKeys));
    }
    layOutPlayers();
}

void GameScreen::layOutPlayers() {
    std::vector<ViewRect> views =
        splitScreenLayout(static_cast<int>(players.size()), windowWidth, windowHeight);
    for (size_t i = 0; i < players.size(); ++i) {
        players[i]->viewportX = views[i].x;
        players[i]->viewportY = views[i].y;
        players[i]->viewportWidth = views[i].width;
        players[i]->viewportHeight = views[i].height;
    }
}

// The item wheels turn with the ticks, not with the pictures: a frame the machine had no time
// to draw leaves them where they should be.
void GameScreen::turnWheels() {
    for (Player* player : players)
        if (player->tank)
            player->hud.advanceWheel(player->tank->currentItem);
}

void GameScreen::bindPlayers() {
    match->seatTanks();
    followTanks();
}

// Each camera on its player's tank: a camera already on it keeps easing from where it is.
void GameScreen::followTanks() {
    for (Player* player : players)
        if (player->tank && player->camera.target != player->tank)
            player->camera.setTarget(player->tank);
}

void GameScreen::reshape(int, int) {
    layOutPlayers();
}

void GameScreen::activate() {
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (!match)
        startGame("");
    bindPlayers();
    playGameMusic(MusicId::MATCH);
    AnimatedScreen::activate();
}

void GameScreen::deactivate() {
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    keyboardKeys.releaseAll();
    AnimatedScreen::deactivate();
}

void GameScreen::tick() {
    frameClock.tick();
    float dt = frameClock.dt;
    JoystickManager::instance()->pollEvents();
    if (replay) {
        tickReplay();
        return;
    }
    if (online) {
        tickOnline();
        return;
    }
    if (recorder)
        recorder->beforeTick();
    Match::Step step = match->tick(dt);
    afterMatchTick(step, dt, true);
    if (viewMode != 1 && players.empty())
        overviewCamera->rotate(dt * DEMO_TURN, 0, 1, 0); // a demo shows every face in turn
    if (step == Match::Step::OVER && returnScreen)
        switchScreen(returnScreen);
    platform().postRedisplay();
}

// What follows every tick a match plays here, live or online: its sounds (unless `heard` is
// false), the record, the new round's cameras, the cameras, the item wheels.
void GameScreen::afterMatchTick(Match::Step step, float dt, bool heard) {
    if (heard)
        sounds.afterTick(MatchScreen{match, players, viewMode == 1, overviewCamera, OVERVIEW_FOV});
    if (recorder) {
        recorder->afterTick(dt);
        recordingFailed = recordingFailed || (recordingAsked && recorder->failed());
        if (step == Match::Step::OVER)
            stopRecording();
    }
    if (step == Match::Step::NEW_ROUND)
        followTanks();
    if (viewMode == 1)
        for (Player* player : players)
            player->camera.update(dt);
    turnWheels();
}

// The keyboard player's keys are not developer keys; a key bound to it does nothing else.
void GameScreen::keyboardUp(unsigned char key, int, int) {
    if (!replay)
        keyboardKeys.release(key);
}

void GameScreen::special(int key, int, int) {
    if (!replaySpecial(key))
        keyboardKeys.press(KeyboardInput::SPECIAL + key);
}

void GameScreen::specialUp(int key, int, int) {
    if (!replay)
        keyboardKeys.release(KeyboardInput::SPECIAL + key);
}
