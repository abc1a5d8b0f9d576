#include <GL/gl.h>
#include <cassert>
#include <cmath>
#include <memory>

#include "assets/glm.h"
#include "entities/tank.h"

unsigned int Tank::displayList = 0;
float Tank::tankRadius = 0;
float Tank::modelExtents[3] = {0, 0, 0};
// The barrel tip of the original model in its own units, scaled to the game's 2-unit width.
Vec3f Tank::muzzleOffset = Vec3f(0, 179.1f, 234.2f) * 0.0063613234f;

namespace {

const char* const MODEL_FILE = "models/tank_01.obj";
constexpr float CREASE_ANGLE = 15.0f; // degrees

// Read and measured by the first tank, kept until the first draw has compiled it, then freed.
std::unique_ptr<GlmModel, decltype(&glmFreeModel)> pendingModel(nullptr, &glmFreeModel);
bool modelLoaded = false;

} // namespace

// No GL here: simulation code needs the sizes without a window.
void Tank::loadModel() {
    if (modelLoaded)
        return;
    GlmModel* model = glmReadOBJ(MODEL_FILE); // exits with a message when unreadable
    glmFitUnitCube(model);
    glmExtents(model, modelExtents);
    // Exactly 2 units wide.
    glmScaleBy(model, 2.0f / modelExtents[0]);
    glmExtents(model, modelExtents);
    tankRadius = std::sqrt(modelExtents[0] / 2 * (modelExtents[0] / 2) +
                           modelExtents[1] / 2 * (modelExtents[1] / 2));
    glmFaceNormals(model);
    glmVertexNormals(model, CREASE_ANGLE);
    pendingModel.reset(model);
    modelLoaded = true;
}

void Tank::compileModel() {
    assert(pendingModel != nullptr); // read by the first tank constructed
    displayList = glGenLists(1);
    assert(displayList != 0 && "displayList != 0");
    glNewList(displayList, GL_COMPILE);
    // Stands on z = 0: the fitted model is centred on the origin.
    glPushMatrix();
    glTranslatef(0, 0, modelExtents[2] / 2);
    glmDraw(pendingModel.get(), GLM_SMOOTH);
    glPopMatrix();
    glEndList();
    pendingModel.reset();
}
