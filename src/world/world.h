#pragma once

#include <functional>
#include <vector>

#include "collision/collisiondetector.h"
#include "math/matrix.h"
#include "math/vectors.h"
#include "world/drawnblocks.h"
#include "world/object.h"
#include "world/rubikscube.h"
#include "world/worldevent.h"

class CubeView;
class Tank;

// The playing field: a Rubik's cube and everything standing on it. Keeps the objects in
// face-sorted lists, ticks and collides them, carries the objects of a turning layer along,
// queues random turns, spawns item boxes, and holds the per-face lights, shadow projections
// and clip planes its drawing uses. Gravity on every face points into the cube.
// Owns every object from addObject until removeObject (which only unlinks; the caller deletes);
// deleting the world deletes the objects still in it, the objects given to discard, and every
// tank addTank made, whether or not it is still in the lists (a destroyed tank leaves them but
// its player still reads it).
//
// The world knows no entity: the tanks, item boxes and collision response of a game plug in
// through the hooks below, which a new world copies from defaultHooks().
class World : public RubiksCube {
public:
    // A tank made for addTank: the same object seen as the Tank players drive and as the Object
    // the world holds. Both null when no tank can be made.
    struct MadeTank {
        Tank* tank;
        Object* object;
    };
    // Makes a tank standing at `position` (a face centre), painted `colour`.
    using TankMaker = std::function<MadeTank(World&, const Vec3f& position, const Vec4f& colour)>;
    // Makes the item box the spawner adds; null spawns nothing this time.
    using ItemBoxMaker = std::function<Object*(World&)>;
    // Answers the pairs of colliding objects of one tick (dt seconds).
    using CollisionResponse = std::function<void(World&, std::vector<Collision*>&, float dt)>;

    struct Hooks {
        TankMaker tankMaker;
        ItemBoxMaker itemBoxMaker;
        CollisionResponse collisionResponse;
    };
    // What every new world starts with: empty until the game's entities install theirs.
    static Hooks& defaultHooks();

    World(int n, int cubieSize);
    ~World() override;

    // One game tick of dt seconds.
    void update(float dt);

    void addObject(Object* object);
    void removeObject(Object* object);
    // Removes the object now and deletes it once no collision record of this tick can name it
    // any more: after the collision response pass, or with the world. For objects taken out in
    // the middle of a tick's response (a picked-up or crushed item box).
    void discard(Object* object);

    // A new tank at the centre of `face` in the face's colour, from tankMaker; null when the
    // face already has one (or no tank can be made). With k tanks, boxes spawn every 6 / k s.
    Tank* addTank(int face);

    // Pull at a point: towards the cube, along the normal of the point's face.
    Vec3f gravityAt(const Vec3f& point) const;
    void queueRandomTurns(int count) { pendingRandomTurns = count; }

    // Also picks up the objects standing on the layer, which ride along until the turn ends.
    void startRotation(int layerNumber, int direction) override;

    // A new item box at a random place on a random face, from itemBoxMaker.
    Object* randomItemBox();
    // A random point on a random face, pulled in from the face's edges by the margins.
    Vec3f randomFacePosition(float marginX, float marginY);

    // What happened since the listener last took the events: the controls' doings between
    // ticks (shots, items used, turns asked for) and each tick's (blasts, hits, pick-ups, turns
    // locked), in the order they happened. The application takes them after every tick; the
    // simulation never reads them back, so a match plays the same whoever listens.
    void report(const WorldEvent& event);
    // Moves the pending events into `into` (emptied first) and leaves none pending. Reuses both
    // buffers' storage: a steady game allocates nothing here.
    void takeEvents(std::vector<WorldEvent>& into);
    const std::vector<WorldEvent>& pendingEvents() const { return events; }
    // A world nobody listens to (the editor's, a test's) keeps at most this many and drops the
    // later ones, counting them in droppedEvents.
    static constexpr size_t MAX_PENDING_EVENTS = 4096;
    size_t droppedEvents = 0;

    // Strict weak order of the object lists: by face; then the riders of a turning layer first,
    // those among them by position along the turning axis.
    bool comesBefore(const Object* a, const Object* b) const;
    // Checks the lists: sorted, each object in exactly the right ones, counts and riding flags
    // consistent, every object registered with the detector, and the cube's grid. Returns false
    // and says why on failure.
    bool validate() const;

    // Shadows are flattened onto a plane this far above each face (world units), so that they
    // never fight the stickers for depth.
    static constexpr float SHADOW_LIFT = 0.05f;
    // Distance of the shadow planes from the centre.
    float shadowPlaneOffset() const { return halfExtent() + SHADOW_LIFT; }
    // Half the side of a face's square inset by the cubies' bevel: how far shadows may reach
    // from the face's centre line along either axis of the face.
    float shadowLimit() const { return halfExtent() - cubies.front()->bevel; }

    // Drawing (GL only). viewMatrix (world to eye) may be null; focus, when given, points from
    // the centre towards the viewer's face.
    void setupLights();
    void draw(const Matrix4f* viewMatrix, const Vec3f* focus);
    void draw() override { draw(nullptr, nullptr); }
    void drawMap(const Vec3f& viewDirection);
    // While draw() draws an object: whether the object's box, allowing for how far a tilted or
    // turned object strays from it, lies wholly outside the view. False outside draw(), e.g.
    // on the heads-up display's map. An object that draws beyond its box (a tank's tread marks)
    // asks this for the part that stays within.
    bool outsideDrawnView(const Object& object) const;

    float gravity = 75; // world units per second squared
    std::vector<Tank*> tanks;
    bool faceHasTank[6] = {};
    float lightHeight = 1.0f; // a face's light stands at (1 + lightHeight) * halfExtent()
    float lightAngle;         // radians a sticker may turn from its face and stay lit by it
    Vec4f lightModelAmbient;
    Vec4f lightDiffuse;
    Vec4f lightAmbient;
    Vec4f lightSpecular;
    Vec3f lightAttenuation; // quadratic, linear, constant
    Vec4f lightPositions[6];
    float shadowAlpha = 0.8f;
    Matrix4f shadowMatrices[6];     // per face: from its light onto the plane 0.05 above it
    double faceClipPlanes[6][4][4]; // per face: four planes (a, b, c, d) bounding its square
    double layerClipPlanes[4][4];   // inside-lower, inside-upper, above, below the turning layer
    int pendingRandomTurns = 0;
    std::vector<Object*> boxes;    // objects of type BOX, sorted
    std::vector<Object*> movables; // all others, sorted
    std::vector<Object*> allObjects;
    CollisionDetector collisionDetector;
    float itemInterval = 6; // seconds between item-box spawns, shared out among the tanks
    float itemTimer = 6;    // seconds until the next spawn
    std::vector<Object*> turningObjects; // riders of the layer being turned
    int itemCount = 0;                   // item boxes in the world

    // Supplied by the game's entities; without them no tank or item box is made and collisions
    // are only reported.
    TankMaker tankMaker;
    ItemBoxMaker itemBoxMaker;
    CollisionResponse collisionResponse;

private:
    void deleteDiscarded();

    float turnedAngle() const;      // radians the current turn has covered
    int turnTarget(int face) const; // the face `face` becomes under the current turn
    void enableFaceLights(int face, bool riding) const;
    void disableFaceLights(int face) const;
    void drawStickers(const CubeView& view);
    void drawMeshRanges(const CubeMesh::Range* ranges, int count, int f, bool riding) const;
    void drawShadows(const Vec3f* focus, const CubeView& view);
    bool turningShadowsSeen(const Object& firstRider, const Vec3f& eye) const;
    void drawShadowsOf(size_t begin, size_t end, const Matrix4f& projection) const;
    void drawTurningFaceShadows(size_t begin, size_t end);
    void drawObjects(const std::vector<Object*>& list, const Matrix4f* viewMatrix,
                     const Vec3f* focus, const CubeView& view) const;
    bool behindViewer(const Object& object, const Matrix4f* viewMatrix) const;
    bool outsideView(const Object& object, const CubeView& view) const;
    static bool outsideDrawnView(const Object& object, const CubeView& view);
    const CubeView* drawnView = nullptr; // the view draw() is drawing, else null
    mutable DrawnBlocks drawnBlocks;     // of the run being drawn: twins are left out
    static size_t faceRunEnd(const std::vector<Object*>& list, size_t begin);
    static size_t lightRunEnd(const std::vector<Object*>& list, size_t begin);
    void resort();
    void insertSorted(std::vector<Object*>& list, Object* object);
    void carryTurningObjects(float dt);
    void updateMovables(float dt);
    void startPendingTurn();
    void spawnItems(float dt);

    void reportTurn(WorldEventKind kind);

    std::vector<WorldEvent> events; // reported, not yet taken
    std::vector<Object*> madeTanks; // every tank addTank made, owned until the world goes
    std::vector<Object*> discarded; // removed, to be deleted after the response pass
};
