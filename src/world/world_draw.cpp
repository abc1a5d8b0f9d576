#include <GL/gl.h>
#include <cstdio>

#include "math/constants.h"
#include "math/faces.h"
#include "math/glmatrix.h"
#include "world/world.h"

// Where the run of objects on the face of list[begin] ends.
size_t World::faceRunEnd(const std::vector<Object*>& list, size_t begin) {
    size_t end = begin;
    while (end < list.size() && list[end]->face == list[begin]->face)
        ++end;
    return end;
}

void World::setupLights() {
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, lightModelAmbient.data());
    for (int f = 0; f < 6; ++f) {
        GLenum light = GL_LIGHT0 + f;
        glLightfv(light, GL_DIFFUSE, lightDiffuse.data());
        glLightfv(light, GL_AMBIENT, lightAmbient.data());
        glLightfv(light, GL_SPECULAR, lightSpecular.data());
        glLightf(light, GL_QUADRATIC_ATTENUATION, lightAttenuation.x());
        glLightf(light, GL_LINEAR_ATTENUATION, lightAttenuation.y());
        glLightf(light, GL_CONSTANT_ATTENUATION, lightAttenuation.z());
        glLightfv(light, GL_POSITION, lightPositions[f].data());
    }
}

float World::turnedAngle() const {
    return static_cast<float>((rotationElapsed / rotationTime) * (PI / 2));
}

int World::turnTarget(int face) const {
    return isRotating ? rotateFace(rotationAxis, rotationDirection, face) : face;
}

// A turning sticker or object is lit by its old face's light for the first 60 degrees of the
// turn, by the new face's light for the last 60, and by both in between.
void World::enableFaceLights(int face, bool riding) const {
    float turned = turnedAngle();
    if (!riding || lightAngle > turned)
        glEnable(GL_LIGHT0 + face);
    if (riding && lightAngle > static_cast<float>(PI / 2) - turned)
        glEnable(GL_LIGHT0 + turnTarget(face));
}

void World::disableFaceLights(int face) const {
    glDisable(GL_LIGHT0 + face);
    glDisable(GL_LIGHT0 + turnTarget(face));
}

void World::draw(const Matrix4f* viewMatrix, const Vec3f* focus) {
    glEnable(GL_LIGHTING);
    setupLights();
    for (int f = 0; f < 6; ++f)
        if (glIsEnabled(GL_LIGHT0 + f))
            printf("light %d is enabled\n", f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);

    drawStickers();
    drawShadows(focus);
    drawObjects(boxes, viewMatrix, focus);
    drawObjects(movables, viewMatrix, focus);
    glDisable(GL_LIGHTING);
}

void World::drawStickers() const {
    for (int f = 0; f < 6; ++f)
        for (const Cube* cubie : cubies) {
            enableFaceLights(f, cubie->rotating);
            glPushMatrix();
            glMultMatrix(cubie->matrix);
            cubie->drawStickerFacing(f);
            glPopMatrix();
            disableFaceLights(f);
        }
}

void World::drawObjects(const std::vector<Object*>& list, const Matrix4f* viewMatrix,
                        const Vec3f* focus) const {
    int hidden = focus ? faceOf(-*focus) : -1;
    for (size_t begin = 0, end; begin < list.size(); begin = end) {
        end = faceRunEnd(list, begin);
        int f = list[begin]->face;
        for (size_t i = begin; i < end; ++i) {
            Object* object = list[i];
            enableFaceLights(f, object->onRotatingLayer);
            if (f != hidden && !behindViewer(*object, viewMatrix)) {
                glPushMatrix();
                glMultMatrix(object->matrix);
                object->draw(false);
                glPopMatrix();
            }
            disableFaceLights(f);
        }
    }
}

// Both corners of the box behind the eye (eye-space z > 0). Not trusted mid-turn, when boxes
// lag behind their riders.
bool World::behindViewer(const Object& object, const Matrix4f* viewMatrix) const {
    if (isRotating || viewMatrix == nullptr)
        return false;
    const float* b = object.boundingBox.intervals;
    Vec3f low(b[0], b[2], b[4]), high(b[1], b[3], b[5]);
    viewMatrix->transformPoint(low);
    viewMatrix->transformPoint(high);
    return low.z() > 0 && high.z() > 0;
}

void World::drawMap(const Vec3f& viewDirection) {
    for (const Cube* cubie : cubies) {
        glPushMatrix();
        glMultMatrix(cubie->matrix);
        cubie->drawAll();
        glPopMatrix();
    }
    for (Object* object : boxes)
        object->drawOnMap(viewDirection);
    for (Object* object : movables)
        object->drawOnMap(viewDirection);
}
