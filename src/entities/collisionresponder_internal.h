#pragma once

// Shared by the collision responder's source files.

#include "math/faces.h"
#include "math/matrix.h"
#include "world/object.h"

namespace responder {

inline Vec3f halfLengths(const Object& object) {
    Vec3f half;
    object.boundingBox.getHalfLengths(half);
    return half;
}

// Moves an object by `delta` and sweeps its box over the move, so the detector sees the path.
// (A tank's own update puts its box back above its position on the next tick.)
inline void displace(Object& object, const Vec3f& delta) {
    object.position += delta;
    object.matrix.preMultiply(Matrix4f::translation(delta));
    object.boundingBox.moveTo(object.position, true);
}

} // namespace responder
