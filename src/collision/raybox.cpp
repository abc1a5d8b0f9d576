#include "collision/raybox.h"

#include <cmath>
#include <limits>
#include <utility>

#include "math/faces.h"

int intersectBox(const Vec3f& /*origin*/, const Vec3f& rel, const Vec3f& direction,
                 const Vec3f& halfSize, float& outTime, int& outFace) {
    float tMin = -std::numeric_limits<float>::infinity();
    float tMax = std::numeric_limits<float>::infinity();
    int faceMin = 0, faceMax = 0;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(direction[i]) <= PARALLEL_EPSILON) {
            if (rel[i] < -halfSize[i] || rel[i] > halfSize[i])
                return 0;
            continue;
        }
        float tNear = (rel[i] + halfSize[i]) / direction[i];
        int nearFace = faceIndex(i, true);
        float tFar = (rel[i] - halfSize[i]) / direction[i];
        int farFace = faceIndex(i, false);
        if (tFar < tNear) {
            std::swap(tNear, tFar);
            std::swap(nearFace, farFace);
        }
        if (tNear > tMin) {
            tMin = tNear;
            faceMin = nearFace;
        }
        if (tFar < tMax) {
            tMax = tFar;
            faceMax = farFace;
        }
        if (tMax < tMin || tMax < 0.0f)
            return 0;
    }
    if (tMin > 0.0f) {
        outTime = tMin;
        outFace = faceMin;
        return 2;
    }
    outTime = tMax;
    outFace = faceMax;
    return 1;
}

bool rayHitsBox(const Vec3f& origin, const Vec3f& rel, const Vec3f& direction,
                const Vec3f& halfSize, float& outTime) {
    int face = 0;
    return intersectBox(origin, rel, direction, halfSize, outTime, face) != 0;
}

int compareLength(const Vec3f& v, float r) {
    float lengthSquared = v.dot(v);
    float rSquared = r * r;
    if (rSquared > lengthSquared)
        return -1;
    if (rSquared < lengthSquared)
        return 1;
    return 0;
}
