#pragma once

#include "math/faces.h"
#include "math/vectors.h"

// The collision box of one object, kept aligned with the world axes: each of the object's
// local axes (right, forward, up) is mapped onto the world axis its direction is closest to,
// so the box never rotates with its object. A member of its object; owns nothing.
// The collision detector keeps pointers into `intervals`, so a registered box must not move
// in memory.
class AxisAlignedBoundingBox {
public:
    // Extents along the object's right (X), forward (Y) and up (Z) axes, relative to its
    // origin; each start must not exceed its end. Orients the box; the next moveTo places it.
    void setExtents(float startX, float endX, float startY, float endY, float startZ, float endZ,
                    const Vec3f& up, const Vec3f& forward);

    // Maps the local extents onto the world axes. The sign of a direction is not used: a start
    // extent always becomes the lower corner of its world axis.
    void orient(const Vec3f& up, const Vec3f& forward);

    // Recomputes `intervals` at the new position; with sweep, the result also covers the box at
    // the old position (the whole step of a fast mover).
    void moveTo(const Vec3f& newPosition, bool sweep);

    // World bounds of the box placed at `at`: x min, x max, y min, y max, z min, z max.
    void computeIntervals(const Vec3f& at, float out[6]) const;

    // Half the box size along each world axis.
    void getHalfLengths(Vec3f& out) const;

    const Vec3f& getPosition() const { return position; }
    const float* getIntervals() const { return intervals; }
    float* getIntervals() { return intervals; }

    Vec3f position;             // world position of the owner at the last moveTo
    Vec3f minCorner;            // lower corner relative to position, per world axis
    Vec3f maxCorner;            // upper corner relative to position, per world axis
    float startX = 0, endX = 0; // along the object's right axis
    float startY = 0, endY = 0; // along its forward axis
    float startZ = 0, endZ = 0; // along its up axis (the face normal)
    float intervals[6] = {};    // world bounds: x min, x max, y min, y max, z min, z max
};

// Signed index of the dominant axis of a direction: 0 to 5 for +x, -x, +y, -y, +z, -z, ties
// going to the earlier axis. The very rule that names the face a point lies on.
inline int directionIndex(const Vec3f& direction) {
    return faceOf(direction);
}
