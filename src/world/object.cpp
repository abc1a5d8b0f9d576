#include "world/object.h"

#include "math/faces.h"

Object::Object(const Vec3f& position, World* world) : position(position), world(world) {
    face = faceOf(position);
    up = faceNormal(face);
    Matrix4f orientation = faceOrientationMatrix(face);
    forward = Vec3f(0, 1, 0);
    orientation.transformPoint(forward);
    matrix.setIdentity();
    matrix.at(3, 0) = position.x();
    matrix.at(3, 1) = position.y();
    matrix.at(3, 2) = position.z();
    matrix *= orientation;
    velocity = Vec3f();
    onRotatingLayer = false;
}

// The turns are about axes through the cube's centre, so turning directions as points is exact.
void Object::transform(const Matrix4f& m) {
    m.transformPoint(up);
    m.transformPoint(forward);
    m.transformPoint(position);
    m.transformPoint(velocity);
    matrix.preMultiply(m);
    boundingBox.moveTo(position, false);
}

void Object::update(float) {}

void Object::drawOnMap(const Vec3f&) {}
