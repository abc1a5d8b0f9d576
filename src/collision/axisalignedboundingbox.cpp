#include "collision/axisalignedboundingbox.h"

#include <cassert>
#include <cmath>

void AxisAlignedBoundingBox::setExtents(float startX, float endX, float startY, float endY,
                                        float startZ, float endZ, const Vec3f& up,
                                        const Vec3f& forward) {
    assert(startX <= endX);
    assert(startY <= endY);
    assert(startZ <= endZ);
    this->startX = startX;
    this->endX = endX;
    this->startY = startY;
    this->endY = endY;
    this->startZ = startZ;
    this->endZ = endZ;
    orient(up, forward);
}

void AxisAlignedBoundingBox::orient(const Vec3f& up, const Vec3f& forward) {
    Vec3f right = cross(forward, up);
    int rightAxis = directionIndex(right) / 2;
    int forwardAxis = directionIndex(forward) / 2;
    int upAxis = directionIndex(up) / 2;
    // Degenerate directions sharing an axis: the later assignment wins.
    minCorner[rightAxis] = startX;
    minCorner[forwardAxis] = startY;
    minCorner[upAxis] = startZ;
    maxCorner[rightAxis] = endX;
    maxCorner[forwardAxis] = endY;
    maxCorner[upAxis] = endZ;
}

void AxisAlignedBoundingBox::computeIntervals(const Vec3f& at, float out[6]) const {
    for (int axis = 0; axis < 3; ++axis) {
        out[2 * axis] = at[axis] + minCorner[axis];
        out[2 * axis + 1] = at[axis] + maxCorner[axis];
    }
}

void AxisAlignedBoundingBox::moveTo(const Vec3f& newPosition, bool sweep) {
    if (!sweep) {
        computeIntervals(newPosition, intervals);
    } else {
        float before[6], after[6];
        computeIntervals(position, before);
        computeIntervals(newPosition, after);
        for (int axis = 0; axis < 3; ++axis) {
            intervals[2 * axis] = std::fmin(before[2 * axis], after[2 * axis]);
            intervals[2 * axis + 1] = std::fmax(before[2 * axis + 1], after[2 * axis + 1]);
        }
    }
    position = newPosition;
}

void AxisAlignedBoundingBox::getHalfLengths(Vec3f& out) const {
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = std::fabs(maxCorner[axis] - minCorner[axis]) * 0.5f;
}
