#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include <GL/glu.h>

#include "math/matrix.h"
#include "math/vectors.h"
#include "view/gaugeimage.h"

class Tank;

// One player's heads-up display, drawn in the overlay plane of the player's view while its
// tank is alive and has not won: the wheel of the tank's three item slots with the selected one
// in the ring, the health gauge, and the miniature of the world turned round the tank, which the
// right stick tilts. Owned by its player; keeps the wheel's animation and the miniature's tilt,
// and draws the tank it is given and that tank's world.
//
// The overlay plane has its origin at the bottom left of the view, x from 0 to `width` (the
// view's aspect ratio) and y from 0 to 1.
class HeadsUpDisplay {
public:
    HeadsUpDisplay();
    ~HeadsUpDisplay();
    HeadsUpDisplay(const HeadsUpDisplay&) = delete;
    HeadsUpDisplay& operator=(const HeadsUpDisplay&) = delete;

    // The whole display of `tank`, for an overlay of width x height (aspect ratio x 1). Needs
    // GL.
    void draw(const Tank& tank, float width, float height);
    // The dead-zone-corrected right stick, each axis in [-1, 1]: a full deflection tilts the
    // miniature by 135 degrees about the axis across the push.
    void aim(float x, float y);

    // The wheel's animation, advanced once a tick by the game screen (not by the draw, so that
    // an undrawn frame does not hold it back): a new selection adds the slots to turn forward
    // to `pendingTurn` (radians), and each tick turns a third of a slot; at rest the wheel
    // holds `selected` in the ring.
    void advanceWheel(int selected);
    // The wheel angle (radians) that puts `slot` in the selection ring.
    static float ringAngle(int slot);
    // The miniature's orientation: turns the tank's up onto +Z (towards the viewer) and its
    // forward onto +Y (up the screen), then tilts by `tilt` degrees about `tiltAxis`.
    static Matrix4f mapOrientation(const Vec3f& up, const Vec3f& forward, float tilt,
                                   const Vec3f& tiltAxis);

    int lastSelected = 0;   // selected slot seen at the end of the previous draw
    float height = 1.0f;    // overlay height, set by each draw
    float width = 1.0f;     // overlay width (aspect ratio), set by each draw
    float pendingTurn = 0;  // radians of wheel turn still to animate
    float tilt = 0;         // degrees, from the right stick
    float previousTilt = 0; // degrees, tilt before the last aim
    float wheelAngle;       // radians; slot s sits in the ring at ringAngle(s)
    GLUquadric* quadric;    // filled, smooth normals; for the gauge's cylinders; owned
    Vec3f tiltAxis;         // unit tilt axis, in overlay space

private:
    GaugeImage gaugeImage; // the gauge as last drawn, pasted while health and view size hold

    void drawWheel(const Tank& tank);
    void drawGauge(int health);
    void drawMap(const Tank& tank);
};
