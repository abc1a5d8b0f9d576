#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <cstdint>
#include <string>
#include <vector>

#include "ai/facegrid.h"
#include "ai/pathsearch.h"
#include "ai/skill.h"
#include "ai/turnplanner.h"
#include "input/inputsource.h"

class Match;
class Tank;
class World;

// A computer tank's controls: an input source like a pad, which the match reads once a tick
// for its seat and hands to the seat like any player's. It never moves a tank or changes the
// world itself; everything it does goes through the seat and the tank's own controls.
//
// What it reads, at each update(): the match (its round, the length of the tick being played,
// seat `seat`'s tank), and of that round's world what a player sees: the cube's size and
// whether a layer turns, the tanks (where, how fast, which face, health, stun and blink), the
// shells in the air, explosions, item boxes, and the blocks and obstacles. It flies copies of
// shells with the game's projectile code and predicts layer turns with the cube's own turn
// rules, in scratches the world never lists. It draws from the shared random source only at
// its own decisions within update() (its aim error, which way to get unstuck, where to roam),
// so the draws follow the simulation, never the frame rate or what is drawn.
//
// What it keeps: its difficulty and seat (fixed), the round it plays (everything else starts
// afresh with a new round), and its plans, all plain values made from what it read: its clock
// (the seconds of the round summed from the match's tick lengths), its mode, its target (an
// index into the world's tanks), aim offset, the times of its last shot and turn, where it
// goes and the way there (a path over a grid of its face), the layer-turn plan, and what it
// pressed at the last tick. No clock of the machine, no addresses, no unordered containers.
// So a replay or another machine rebuilds it from (kind "computer", difficulty, seat) and the
// same match, and it plays the same.
//
// Owns its plans; reads the match, which must outlive it.
class ComputerPlayer : public InputSource {
public:
    enum class Mode {
        IDLE,    // no tank, a layer turning, stunned: hands off
        FIGHT,   // an enemy on its face and a shell to fire: to a firing place, aims, fires
        COLLECT, // drives to an item box on its face
        ROAM,    // plans layer turns to an enemy (or boxes), drives to where it turns
        DODGE,   // gets out of a blast to come
        UNSTUCK, // backs away from what holds it
    };

    ComputerPlayer(const Match& match, int seat, Difficulty difficulty);

    // Reads the world and decides this tick's controls.
    void update() override;
    StickPosition leftStick() const override { return stick; }
    StickPosition rightStick() const override { return {}; }
    float triggerA() const override { return fire ? TRIGGER_PULLED : TRIGGER_RELEASED; }
    float triggerB() const override { return nextItem ? TRIGGER_PULLED : TRIGGER_RELEASED; }
    bool button(int index) const override { return index >= 0 && index == layerButtonDown; }
    bool connected() const override { return true; }
    // "Computer 3": its seat's number, counted from 1 as the players are.
    std::string name() const override;
    const char* kind() const override { return "computer"; }

    Mode mode() const { return currentMode; }
    // Lining up or firing a shot at an enemy on its face.
    bool aiming() const { return currentMode == Mode::FIGHT; }
    Difficulty difficulty() const { return level; }
    int seatIndex() const { return seat; }

private:
    // An enemy tank as it was seen this tick.
    struct Enemy {
        int index; // in the world's tanks
        Vec3f position, velocity;
        int face;
        float invulnerable; // seconds
    };
    // Where a blast is coming or is.
    struct Danger {
        Vec3f at;
        float in; // seconds until it is there, 0 for a blast already there
    };

    void startRound();
    void release();
    bool perceive(const World& world, const Tank& me);
    void rebuildGrid(const World& world, const Tank& me);
    int standingCell(const Tank& me) const;
    void chooseMode(const World& world, const Tank& me);
    // Uses health or frees a slot; true when it works the triggers for that this tick.
    bool manageItems(const Tank& me);
    int itemsOf(const Tank& me, int kind) const;
    int weapons(const Tank& me) const;
    void useItem(const Tank& me, int kind);

    // Fight (computerplayer_fight.cpp).
    void fight(const Tank& me);
    const Enemy* pickTarget(const Tank& me);
    int chooseWeapon(const Tank& me, float distance, float targetSpeed) const;
    void chooseFiringPlace(const Tank& me, const Vec3f& aimPoint);
    bool shotLineClear(float u, float v, float au, float av) const;
    void drawAimOffset();

    // Roam: layer turns (computerplayer_turns.cpp).
    void roam(const World& world, const Tank& me);
    void planTurns(const World& world, const Tank& me);
    bool pressTurn(const World& world, const Tank& me);
    bool mayTurn(const World& world) const;
    void collect(const Tank& me);

    // Moving (computerplayer_move.cpp).
    void goTo(const Tank& me, const Vec3f& goal, float arrive);
    void followPath(const Tank& me, float arrive);
    // Towards `point`, stopping within `arrive` of it; a `corner` of a path is taken slowly.
    void steer(const Tank& me, const Vec3f& point, float arrive, bool corner = false);
    void turnTowards(const Tank& me, const Vec3f& point);
    void wander(const Tank& me);
    // Whether a blast to come (or one already there) would reach it; `away` points out of it.
    bool threatened(const Tank& me, Vec3f& away) const;
    void evade(const Tank& me, const Vec3f& away);
    void watchProgress(const Tank& me);
    void unstick(const Tank& me);
    void keepOnFace(const Tank& me);
    float turnStick(const Tank& me, float angle) const;

    const Match& match;
    const int seat;
    const Difficulty level;
    const ComputerSkill& skill;

    // This tick's controls.
    StickPosition stick;
    bool fire = false;
    bool nextItem = false;
    int layerButtonDown = -1;

    // The round's state.
    int round = -1;
    float clock = 0; // seconds of the round, from the match's tick lengths
    float dt = 0;    // the tick being played
    Mode currentMode = Mode::IDLE;
    bool turning = false; // a layer turned at the last look
    FaceGrid grid;
    bool gridReady = false;
    PathSearch search;
    size_t pathStep = 0; // the path cell it has come to
    Vec3f goal;          // where the path leads
    bool hasGoal = false;
    bool goalFailed = false; // the last goal could not be reached
    float goalSince = 0;     // clock since it heads for (about) this goal
    float goalWay = 0;       // world units to it, straight, when it set off
    int target = -1;         // index in the world's tanks
    float targetSince = 0;
    float aimDraw[2] = {0, 0}; // the aim error's direction and share, in the face's own axes
    Vec3f firingPlace;
    bool hasFiringPlace = false;
    float firingPlaceAt = -100;  // clock when it was chosen
    Vec3f firingPlaceFor;        // the aim point it was chosen for
    float firingAngle = 0;       // radians: the side of the target it tries first
    float aimingSince = -1;      // clock since it stands at its firing place without a shot
    float blockedSince = -1;     // clock since its shot has been blocked
    float restRange = 0;         // world units a shell flies from a tank at rest
    std::vector<float> profile;  // its height a unit, two units, ... out (flightProfile)
    float holdBannedUntil = -1;  // clock until which it may not aim from where it stands
    Vec3f failedPlace;           // where it last aimed without a shot
    float failedPlaceUntil = -1; // clock until which it keeps away from there
    float lastShot = -100;
    float lastTurn = -100;
    float nextPlan = 0;
    TurnPlanner planner;
    TurnPlan plan;
    float planMade = -100;
    int planFace = -1;
    float noPlanSince = -1; // clock since the last plan came back empty
    Vec3f wanderGoal;
    float wanderUntil = -1;
    Vec3f lastPosition;      // where the tank stood at the last look, to add up its way
    float travelled = 0;     // world units driven since the checkpoint
    float checkpointAt = 0;  // clock of the last look at its progress
    float throttleTicks = 0; // ticks driven since the checkpoint
    float unstuckUntil = -1;
    Vec3f stuckGoal; // where it was heading when it was last held
    float unstuckTurn = 1;
    float unstuckThrottle = 1;
    // Item boxes it could not reach, each given up until a time of its clock.
    struct GivenUp {
        Vec3f at;
        float until;
    };
    std::vector<GivenUp> avoidBoxes;
    void giveUpBox(const Vec3f& at);
    Vec3f collectTarget; // the item box it heads for
    bool hasCollectTarget = false;
    bool firedLastTick = false;
    bool switchedLastTick = false;
    bool itemBusy = false; // this tick's triggers are taken by an item other than a shell
    bool rocking = false;  // this tick it rocks on the spot, waiting to turn: going nowhere

    // This tick's view of the world.
    std::vector<Enemy> enemies;
    std::vector<Enemy> enemiesHere; // on its face
    std::vector<Vec3f> boxesHere;   // item boxes on its face
    std::vector<Standing> allBoxes;
    std::vector<Danger> dangers;
};
