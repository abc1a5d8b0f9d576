#include <GL/freeglut.h>
#include <cstdio>

#include "platform/platform.h"
#include "platform/stroketext.h"
#include "platform/traceline.h"
#include "screens/gamescreen.h"
#include "screens/shell.h"
#include "world/world.h"

namespace {
constexpr float OVERVIEW_FOV = 65.0f; // degrees, as a match's overview
} // namespace

bool GameScreen::startReplay(std::shared_ptr<const MatchRecord> record, std::string& error) {
    std::unique_ptr<MatchReplay> next = MatchReplay::open(record, error);
    if (!next)
        return false;
    std::unique_ptr<Match> nextMatch = next->newMatch(error);
    if (!nextMatch)
        return false;
    endGame();
    match = nextMatch.release();
    replay = std::move(next);
    for (size_t i = 0; i < record->header.seats.size(); ++i)
        players.push_back(new Player(replay->source(static_cast<int>(i))));
    layOutPlayers();
    for (Player* player : players)
        match->addSeat(player);
    match->seatTanks();
    overviewCamera = new WorldCamera();
    overviewCamera->zoomToFit(match->world->halfExtent(), OVERVIEW_FOV);
    viewMode = players.empty() ? 0 : 1;
    pace = ReplayPace();
    replayEnded = false;
    differenceTold = false;
    if (!replay->begin(*match, error)) {
        endGame();
        return false;
    }
    if (!record->complete)
        printf("The record was cut short: it plays %d ticks and stops.\n", record->tickCount());
    return true;
}

// The replay's ticks of this frame, each followed by what a live tick does after the match's:
// the new round's cameras, the cameras, the end of the match.
void GameScreen::tickReplay() {
    int ticks = pace.ticksThisFrame();
    for (int i = 0; i < ticks; ++i) {
        if (replay->atEnd()) {
            replayEnded = true;
            break;
        }
        Match::Step step = replay->step(*match);
        // Watched as it was played, heard as it was played.
        sounds.afterTick(MatchScreen{match, players, viewMode == 1, overviewCamera, OVERVIEW_FOV});
        if (replay->differs() && !differenceTold) {
            differenceTold = true;
            printf("The replay is not what was played: %s.\n", replay->differenceText().c_str());
        }
        if (step == Match::Step::NEW_ROUND)
            followTanks();
        if (viewMode == 1)
            for (Player* player : players)
                player->camera.update(replay->lastDt());
        turnWheels();
        if (step == Match::Step::OVER && returnScreen) {
            switchScreen(returnScreen);
            break;
        }
    }
    platform().postRedisplay();
}

bool GameScreen::replayKey(unsigned char key) {
    if (!replay)
        return false;
    if (key == ' ') {
        pace.togglePause();
        return true;
    }
    if (key >= '1' && key <= '4') { // they change the match, which only the record does here
        printf("Not while watching a replay.\n");
        return true;
    }
    return false;
}

bool GameScreen::replaySpecial(int key) {
    if (!replay)
        return false;
    if (key == GLUT_KEY_RIGHT)
        pace.stepOnce();
    else if (key == GLUT_KEY_UP)
        pace.faster();
    else if (key == GLUT_KEY_DOWN)
        pace.slower();
    return true; // the keyboard drives no tank here
}

// "Replay x2", "Replay paused", "Replay ended" in the window's bottom left corner.
void GameScreen::drawReplayStatus() const {
    std::string text = "Replay";
    if (replayEnded)
        text += " ended";
    else if (pace.isPaused())
        text += " paused";
    else if (pace.speed() >= 1)
        text += " x" + std::to_string(static_cast<int>(pace.speed()));
    else
        text += " x1/" + std::to_string(static_cast<int>(1 / pace.speed()));
    text += "  tick " + std::to_string(replay->ticksPlayed());
    float aspect = windowHeight > 0 ? static_cast<float>(windowWidth) / windowHeight : 1.0f;
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, aspect, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    const float height = 0.03f;     // of the window's height
    float scale = height / 119.05f; // the stroke font's capitals are 119.05 units tall
    glTranslatef(0.015f, 0.015f, 0);
    glScalef(scale, scale, scale);
    glColor3f(0.05f, 0.05f, 0.05f);
    drawStrokeText(text, 4.0f);
    glColor3f(1, 1, 0.4f);
    drawStrokeText(text, 1.5f);
    glEnable(GL_DEPTH_TEST);
}

// Only while the watcher has changed something, so that a replay watched as it was played
// traces exactly as the match did.
void GameScreen::addReplayTraceFields(TraceLine& line) const {
    if (!replay || (!pace.changed() && !replayEnded))
        return;
    line.beginObject("replay");
    line.add("paused", pace.isPaused());
    line.add("speed", static_cast<double>(pace.speed()));
    line.add("tick", replay->ticksPlayed());
    line.add("ended", replayEnded);
    line.end();
}
