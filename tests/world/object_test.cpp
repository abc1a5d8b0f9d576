#include <gtest/gtest.h>

#include "support/vecexpect.h"

#include "math/constants.h"
#include "math/faces.h"
#include "world/object.h"

namespace {

// Object leaves drawing to its subclasses.
class Thing : public Object {
public:
    using Object::Object;
    void draw(bool) override {}
};

Vec3f mapped(const Matrix4f& m, const Vec3f& p) {
    Vec3f q = p;
    m.transformPoint(q);
    return q;
}

TEST(Object, StandsUprightOnTheFaceOfItsPosition) {
    World* world = reinterpret_cast<World*>(0x1000); // never dereferenced
    Thing front(Vec3f(0, 0, 10), world);
    EXPECT_EQ(front.face, 4);
    expectVecNear(front.up, Z_AXIS, 0.0f);
    expectVecNear(front.forward, Y_AXIS, 1e-6f);
    expectVecNear(front.velocity, Vec3f(), 0.0f);
    EXPECT_EQ(front.world, world);
    EXPECT_FALSE(front.onRotatingLayer);
    Matrix4f expected = Matrix4f::translation(0, 0, 10);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(front.matrix.data()[i], expected.data()[i], 1e-6f) << i;

    Thing right(Vec3f(10, 0, 0), nullptr);
    EXPECT_EQ(right.face, 0);
    expectVecNear(right.up, X_AXIS, 0.0f);
    expectVecNear(right.forward, Y_AXIS, 1e-6f);
    expectVecNear(mapped(right.matrix, Z_AXIS), Vec3f(11, 0, 0));
}

// On every face, object space has its origin at the position, +Z along up and +Y along forward.
TEST(Object, ObjectSpaceFollowsTheFaceTable) {
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        Vec3f position = faceNormal(face) * 14.0f + Vec3f(1.0f, -2.0f, 0.5f) * 0.25f;
        Thing thing(position, nullptr);
        EXPECT_EQ(thing.face, face);
        expectVecNear(thing.up, faceNormal(face), 0.0f);
        expectVecNear(toFaceLocal(thing.forward, face), Y_AXIS);
        expectVecNear(mapped(thing.matrix, Vec3f()), position);
        expectVecNear(mapped(thing.matrix, Z_AXIS) - position, thing.up);
        expectVecNear(mapped(thing.matrix, Y_AXIS) - position, thing.forward);
    }
}

TEST(Object, LayerTurnStepsCarryTheObjectAndItsBox) {
    Thing thing(Vec3f(0, 0, 10), nullptr);
    thing.velocity = Vec3f(1, 0, 0);
    thing.boundingBox.setExtents(-1, 1, -2, 2, 0, 3, thing.up, thing.forward);
    thing.boundingBox.moveTo(thing.position, false);
    Matrix4f step = Matrix4f::rotationY(static_cast<float>(5 * PI / 180));
    for (int i = 0; i < 18; ++i)
        thing.transform(step);

    expectVecNear(thing.position, Vec3f(10, 0, 0), 1e-4f);
    expectVecNear(thing.up, X_AXIS, 1e-5f);
    expectVecNear(thing.forward, Y_AXIS, 1e-5f);
    expectVecNear(thing.velocity, NEG_Z_AXIS, 1e-5f);
    EXPECT_EQ(thing.face, 4); // refreshed by the world once the turn ends
    expectVecNear(mapped(thing.matrix, Vec3f()), thing.position, 1e-4f);
    expectVecNear(mapped(thing.matrix, Z_AXIS) - thing.position, thing.up, 1e-4f);

    // The box has moved but keeps its old orientation until the world re-orients it.
    expectVecNear(thing.boundingBox.getPosition(), thing.position, 0.0f);
    const float* bounds = thing.boundingBox.getIntervals();
    EXPECT_NEAR(bounds[0], 9.0f, 1e-4f);
    EXPECT_NEAR(bounds[1], 11.0f, 1e-4f);
    EXPECT_NEAR(bounds[5], 3.0f, 1e-4f);
}

} // namespace
