#pragma once

#include <memory>

#include "collision/hierarchicalobject.h"
#include "world/object.h"

struct GlmModel;

// A fixed rock read from "models/test_01.obj", 10 units wide, that tanks and shells bounce off
// triangle by triangle through its mesh hierarchy. Owns its model and its hierarchy; every
// obstacle reads its own copy of the model, and all share one display list.
class Obstacle : public Object {
public:
    static constexpr const char* MODEL_PATH = "models/test_01.obj";
    static constexpr float WIDTH = 10; // world units along the face's right

    // Reads the model (a missing model ends the program with status 1), scales it and builds
    // its hierarchy; prints the hierarchy's trace and the model's size before scaling.
    Obstacle(const Vec3f& position, World* world);
    ~Obstacle() override;
    Obstacle(const Obstacle&) = delete;
    Obstacle& operator=(const Obstacle&) = delete;

    // Nothing in the shadow pass: obstacles cast no shadow.
    void draw(bool shadow) override;
    // Turns with the layer, and so does the frame its mesh is queried in.
    void transform(const Matrix4f& m) override;
    void update(float dt) override;

    GlmModel* model; // owned, freed with the obstacle
    std::unique_ptr<HierarchicalObject> mesh;

    // Shared by every obstacle: compiled on the first draw of any, kept until exit.
    static unsigned int displayList;
};
