#include "entities/utilities.h"

#include <cmath>
#include <limits>
#include <utility>

#include "math/faces.h"

namespace {

// The four faces around each axis, in the order a positive quarter turn carries them.
constexpr int FACE_CYCLES[3][4] = {{2, 4, 3, 5}, {4, 0, 5, 1}, {0, 2, 1, 3}};

} // namespace

void shadowMatrix(const Vec3f& n, const Vec3f& light, float d, Matrix4f& out) {
    float l = n.dot(light);
    float s = l + d;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out.at(c, r) = (r == c ? s : 0.0f) - light[r] * n[c];
        out.at(3, r) = -light[r] * d;
    }
    for (int c = 0; c < 3; ++c)
        out.at(c, 3) = -n[c];
    out.at(3, 3) = l;
}

int rotateFace(int axis, int direction, int face) {
    if (axis < 0 || axis > 2)
        return face;
    const int* cycle = FACE_CYCLES[axis];
    for (int i = 0; i < 4; ++i)
        if (cycle[i] == face)
            return cycle[(i + (direction == 0 ? 1 : 3)) % 4];
    return face;
}

Vec3f hsvToRgb(const Vec3f& hsv) {
    float h = hsv.x(), s = hsv.y(), v = hsv.z();
    if (h >= 360.0f)
        h -= 360.0f;
    if (s == 0.0f)
        return Vec3f(v, v, v);
    int sector = static_cast<int>(h / 60.0f);
    float f = h / 60.0f - sector;
    float p = v * (1.0f - s);
    float q = v * (1.0f - s * f);
    float t = v * (1.0f - s * (1.0f - f));
    switch (sector) {
    case 0:
        return Vec3f(v, t, p);
    case 1:
        return Vec3f(q, v, p);
    case 2:
        return Vec3f(p, v, t);
    case 3:
        return Vec3f(p, q, v);
    case 4:
        return Vec3f(t, p, v);
    default:
        return Vec3f(v, p, q);
    }
}

void writeFloats(std::ostream& out, const float* values, int count) {
    for (int i = 0; i < count; ++i)
        out << values[i] << " ";
}

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
