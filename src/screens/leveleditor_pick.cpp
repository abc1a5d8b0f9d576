#include <GL/glu.h>
#include <cmath>
#include <limits>

#include "collision/raybox.h"
#include "math/faces.h"
#include "screens/leveleditor.h"
#include "world/world.h"

namespace {

// The model-view the camera sets, as OpenGL's column-major doubles: the distance along the view
// axis after the accumulated transform.
void cameraModelView(const WorldCamera& camera, double out[16]) {
    Matrix4f m = Matrix4f::translation(0, 0, -camera.distance) * camera.transform;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            out[column * 4 + row] = m.at(column, row);
}

// The ray against the box centred at `centre` with half sizes `half`; t along the ray.
bool rayMeetsBox(const Vec3f& origin, const Vec3f& direction, const Vec3f& centre,
                 const Vec3f& half, float& t) {
    return rayHitsBox(origin, centre - origin, direction, half, t);
}

// The half sizes of an object's bounding box, and its centre, from the box's world bounds.
void boxOf(const Object& object, Vec3f& centre, Vec3f& half) {
    const float* b = object.boundingBox.intervals;
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = (b[2 * axis] + b[2 * axis + 1]) * 0.5f;
        half[axis] = (b[2 * axis + 1] - b[2 * axis]) * 0.5f;
    }
}

} // namespace

// As gluPerspective(65, aspect, 20, 300) makes it, computed here so that picking needs no GL.
namespace {
constexpr double NEAR_PLANE = 20, FAR_PLANE = 300; // world units from the eye
} // namespace

float LevelEditor::closestZoom() const {
    float corner = world ? world->halfExtent() * std::sqrt(3.0f) : 0.0f;
    return corner + static_cast<float>(NEAR_PLANE);
}

void LevelEditor::setProjection(float aspect) {
    const double nearPlane = NEAR_PLANE, farPlane = FAR_PLANE;
    double f = 1.0 / std::tan(65.0 / 2 * 3.14159265358979323846 / 180);
    for (double& element : projection)
        element = 0;
    projection[0] = f / aspect;
    projection[5] = f;
    projection[10] = (farPlane + nearPlane) / (nearPlane - farPlane);
    projection[11] = -1;
    projection[14] = 2 * farPlane * nearPlane / (nearPlane - farPlane);
}

void LevelEditor::mouseRay(int x, int y, Vec3f& origin, Vec3f& direction) const {
    double modelView[16];
    cameraModelView(camera, modelView);
    double winY = static_cast<double>(viewport[3] - y - 1);
    double nearPoint[3] = {}, farPoint[3] = {};
    gluUnProject(x, winY, 0.0, modelView, projection, viewport, &nearPoint[0], &nearPoint[1],
                 &nearPoint[2]);
    gluUnProject(x, winY, 1.0, modelView, projection, viewport, &farPoint[0], &farPoint[1],
                 &farPoint[2]);
    origin = Vec3f(static_cast<float>(nearPoint[0]), static_cast<float>(nearPoint[1]),
                   static_cast<float>(nearPoint[2]));
    direction = Vec3f(static_cast<float>(farPoint[0] - nearPoint[0]),
                      static_cast<float>(farPoint[1] - nearPoint[1]),
                      static_cast<float>(farPoint[2] - nearPoint[2]));
    direction.normalize();
}

bool LevelEditor::pickCubePoint(int x, int y) {
    Vec3f origin, direction;
    mouseRay(x, y, origin, direction);
    float h = world->halfExtent(), t = 0;
    if (!rayMeetsBox(origin, direction, Vec3f(), Vec3f(h, h, h), t))
        return false;
    hoverPoint = origin + direction * t;
    return true;
}

Object* LevelEditor::pickObject(int x, int y) const {
    Vec3f origin, direction;
    mouseRay(x, y, origin, direction);
    Object* nearest = nullptr;
    float nearestT = std::numeric_limits<float>::infinity();
    // nearest = the block whose box the ray meets first so far
    for (Object* block : world->boxes) {
        Vec3f centre, half;
        boxOf(*block, centre, half);
        float t = 0;
        if (rayMeetsBox(origin, direction, centre, half, t) && t < nearestT) {
            nearest = block;
            nearestT = t;
        }
    }
    float h = world->halfExtent(), cubeT = 0;
    // A block behind the cube is hidden by it.
    if (nearest && rayMeetsBox(origin, direction, Vec3f(), Vec3f(h, h, h), cubeT) &&
        cubeT < nearestT)
        return nullptr;
    return nearest;
}

bool LevelEditor::pickOnObjectColumn(int x, int y, const Object* object) {
    Vec3f origin, direction, centre, half;
    mouseRay(x, y, origin, direction);
    boxOf(*object, centre, half);
    // Endless along the face normal, so the whole column above the block can be pointed at.
    half[faceAxis(object->face)] = std::numeric_limits<float>::infinity();
    float t = 0;
    if (!rayMeetsBox(origin, direction, centre, half, t))
        return false;
    hoverPoint = origin + direction * t;
    return true;
}
