#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <vector>

#include "math/matrix.h"
#include "math/vectors.h"

class FaceGrid;
class World;

// Where something that layer turns carry stands: its position and face.
struct Standing {
    Vec3f position;
    int face = 0;
};

// Where a quarter turn of `layer` (a layer number of the world's cube) in `direction` leaves
// `thing`: carried round by `quarter` (the world's quarterTurn for the layer's axis and
// direction) onto the face the cube's turn takes its face to, when the layer holds it, or where
// it was. The world's own rules: layerHolds says what rides, rotateFace where it goes.
Standing afterTurn(const World& world, int layer, int direction, const Matrix4f& quarter,
                   const Standing& thing);

// A layer turn a tank may ask for: about a world axis, in the cube's direction (0 positive
// angles, 1 negative), of the layer holding where the tank stands.
struct TurnChoice {
    int axis = 0;
    int direction = 0;
};

// The plan found: drive to `from` (on the tank's face), then turn `first`; `turns` counts the
// turns to the goal, the first included (the next ones are planned again from where the first
// leaves the tank).
struct TurnPlan {
    bool found = false;
    Vec3f from;
    TurnChoice first;
    int turns = 0;
    float score = 0; // what is won, less the way and the turns
};

// Looks for the layer turns that bring a tank onto a face with what it wants: for a place to
// stand on each cubie of its face within reach (where it stands first), every turn it could
// make there, and with a depth of 2 every turn after that, each predicted with the world's own
// turn rules on the tank and on every wanted thing. A thing's worth counts when it ends on the
// tank's face. Spread over ticks: step() looks at a few places a call. Owns its copies of what
// it weighs; keeps no pointer into the world between calls.
class TurnPlanner {
public:
    // `wanted` pairs with `worth`. Only places whose cell of `grid` (the tank's face) is marked
    // reachable and whose straight way from the tank is at most `reach` are looked at, and where
    // it stands.
    void begin(const World& world, const FaceGrid& grid, const Standing& tank,
               const std::vector<Standing>& wanted, const std::vector<float>& worth, int depth,
               float reach);
    // Looks at up to `places` more places; true when every place has been looked at and `best`
    // holds the plan (found false when no turn is worth more than standing still).
    bool step(const World& world, int places);
    bool running() const { return next < static_cast<int>(placesToTry.size()); }
    size_t places() const { return placesToTry.size(); }
    void cancel() { placesToTry.clear(), next = 0; }

    TurnPlan best;

private:
    float worthOn(int face, const std::vector<Standing>& things) const;
    void tryPlace(const World& world, const Vec3f& place);

    Standing tank;
    std::vector<Standing> wanted;
    std::vector<float> worth;
    std::vector<Standing> carried; // scratch: the wanted things after a first turn
    std::vector<Standing> twice;   // scratch: after a second
    std::vector<Vec3f> placesToTry;
    int next = 0;
    int depth = 1;
    float stayWorth = 0;     // what standing still has
    Matrix4f quarters[3][2]; // the world's quarter turns, by axis and direction
};
