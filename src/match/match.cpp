#include "match/match.h"

#include <locale>
#include <sstream>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "math/randomsource.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int DEFAULT_SIZE = 3;        // cubies per edge of a match without a level
constexpr int DEFAULT_CUBIE_SIZE = 28; // world units

} // namespace

Match::Match(LevelSource level, MatchSettings settings, unsigned int seed)
    : level(std::move(level)), settings(settings), seed(seed) {
    randomSource.seed(seed);
    installEntityHooks();
    installCollisionResponse();
    world = buildWorld();
}

Match::Match(LevelSource level, MatchSettings settings)
    : Match(std::move(level), settings, randomSource.seedValue()) {}

Match::~Match() {
    // The seats' tanks belong to the world; they must not be read after it goes.
    for (Seat* seat : seats) {
        seat->tank = nullptr;
        seat->world = nullptr;
    }
    delete world;
}

World* Match::buildWorld() const {
    if (level.name.empty())
        return new World(DEFAULT_SIZE, DEFAULT_CUBIE_SIZE);
    std::istringstream in(level.text);
    in.imbue(std::locale::classic());
    return readLevel(in, level.name);
}

void Match::addSeat(Seat* seat) {
    seats.push_back(seat);
    wins.push_back(0);
    ready.push_back(false);
}

void Match::seatTanks() {
    for (Seat* seat : seats) {
        if (seat->tank && seat->world == world)
            continue; // already playing in this world
        seat->tank = nullptr;
        for (int face = 0; face < 6 && !seat->tank; ++face)
            seat->tank = world->addTank(face);
        if (seat->tank)
            seat->world = world;
    }
}

Match::Step Match::tick(float dt) {
    tickLength = dt;
    readSources();
    for (size_t i = 0; i < seats.size(); ++i)
        seats[i]->update(dt, controls[i]);
    bool wasDecided = roundDecided;
    decide(dt);
    if (wasDecided && betweenRounds())
        takeReadyPresses();
    Step step = Step::PLAYING;
    if (countdown <= 0) {
        countdown = COUNTDOWN;
        if (champion() < 0 && settings.roundsToWin > 1) {
            startNextRound();
            return Step::NEW_ROUND; // the new world starts next tick
        }
        step = Step::OVER;
    }
    // The world plays on under the countdown, and in the tick that ends it.
    world->update(dt);
    return step;
}

// Every source is read before any seat drives, as a machine receiving other machines'
// inputs for the tick would have them.
void Match::readSources() {
    previousControls.swap(controls);
    controls.assign(seats.size(), ControlState());
    bool asking = roundDecided && betweenRounds();
    for (size_t i = 0; i < seats.size(); ++i)
        if (seats[i]->listening() || (asking && seats[i]->gamepad && !seats[i]->computer()))
            controls[i] = readControls(*seats[i]->gamepad);
}

// A press is a button 0 that was read up at the tick before, so a button held when the round
// was decided (or when the seat was first read for it) counts only once it has been let go and
// pressed again. Once every seat a person drives is ready (and there is one), the countdown is
// over.
void Match::takeReadyPresses() {
    int people = 0, readyPeople = 0;
    for (size_t i = 0; i < seats.size(); ++i) {
        if (!seats[i]->gamepad || seats[i]->computer())
            continue;
        // A seat not read at the tick before (or an unplugged pad) reads as held.
        bool before = i >= previousControls.size() || !previousControls[i].connected ||
                      previousControls[i].button(0);
        if (controls[i].button(0) && !before)
            ready[i] = true;
        ++people;
        readyPeople += ready[i] ? 1 : 0;
    }
    if (people > 0 && readyPeople == people)
        countdown = 0;
}

bool Match::betweenRounds() const {
    return roundDecided && settings.roundsToWin > 1 && champion() < 0;
}

void Match::decide(float dt) {
    if (seats.size() < 2)
        return;
    int aliveCount = 0;
    Seat* lastAlive = nullptr;
    for (Seat* seat : seats)
        if (seat->alive) {
            ++aliveCount;
            lastAlive = seat;
        }
    if (aliveCount > 1)
        return;
    if (!roundDecided) {
        roundDecided = true;
        for (size_t i = 0; i < seats.size(); ++i)
            if (seats[i] == lastAlive)
                ++wins[i];
    }
    countdown -= dt;
    if (lastAlive)
        lastAlive->won = true;
}

int Match::champion() const {
    for (size_t i = 0; i < wins.size(); ++i)
        if (wins[i] >= settings.roundsToWin)
            return static_cast<int>(i);
    return -1;
}

void Match::startNextRound() {
    for (Seat* seat : seats) {
        seat->tank = nullptr;
        seat->world = nullptr;
        seat->alive = true;
        seat->won = false;
        seat->switchLatch = false;
    }
    delete world;
    world = buildWorld();
    ++round;
    roundDecided = false;
    ready.assign(seats.size(), false);
    seatTanks();
}
