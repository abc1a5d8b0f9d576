#include "world/obstacle.h"

#include <GL/gl.h>
#include <cassert>
#include <cstdio>

#include "assets/glm.h"

unsigned int Obstacle::displayList = 0;

Obstacle::Obstacle(const Vec3f& position, World* world)
    : Object(position, world), model(glmReadOBJ(MODEL_PATH)) {
    type = OBSTACLE;
    float dimensions[3];
    glmExtents(model, dimensions);
    glmScaleBy(model, WIDTH / dimensions[0]);
    mesh = std::make_unique<HierarchicalObject>(position, world, model);
    printf("size: %f, %f, %f\n", dimensions[0], dimensions[1], dimensions[2]);
    boundingBox.setExtents(-9.5f, 9.5f, -9, 9, -9, 15, up, forward);
    boundingBox.moveTo(position, false);
}

Obstacle::~Obstacle() {
    mesh.reset(); // it reads the model
    glmFreeModel(model);
}

void Obstacle::transform(const Matrix4f& m) {
    Object::transform(m);
    mesh->rotate(m);
}

void Obstacle::update(float) {
    boundingBox.moveTo(position, false);
}

void Obstacle::draw(bool shadow) {
    if (shadow)
        return;
    if (displayList == 0) {
        displayList = glGenLists(1);
        assert(displayList != 0);
        glmFaceNormals(model);
        glmVertexNormals(model, 15.0f);
        glNewList(displayList, GL_COMPILE);
        glColor3f(0.5f, 0.5f, 0.5f);
        glmDraw(model, GLM_FLAT);
        glEndList();
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glPushMatrix();
    glCallList(displayList);
    glPopMatrix();
}
