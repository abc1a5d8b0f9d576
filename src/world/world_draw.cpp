#include <GL/gl.h>
#include <algorithm>
#include <cstdio>

#include "math/constants.h"
#include "math/faces.h"
#include "math/glmatrix.h"
#include "world/cubeview.h"
#include "world/world.h"

namespace {

// The current OpenGL matrix of `which` (GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX), row-major.
Matrix4f currentMatrix(GLenum which) {
    GLfloat m[16]; // column-major
    glGetFloatv(which, m);
    Matrix4f out;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            out.at(column, row) = m[column * 4 + row];
    return out;
}

// Whether a block drawn a second time in the current state can only land on fragments that its
// first drawing has already settled: the depth test keeps the nearer, or an equal depth, and the
// first drawing wrote its depth; no blending.
bool twinsChangeNothing() {
    GLint depthFunc = 0;
    GLboolean depthWrites = GL_FALSE;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    return glIsEnabled(GL_DEPTH_TEST) && depthWrites && !glIsEnabled(GL_BLEND) &&
           (depthFunc == GL_LESS || depthFunc == GL_LEQUAL);
}

} // namespace

// Where the run of objects on the face of list[begin] ends.
size_t World::faceRunEnd(const std::vector<Object*>& list, size_t begin) {
    size_t end = begin;
    while (end < list.size() && list[end]->face == list[begin]->face)
        ++end;
    return end;
}

// Where the run of objects lit like list[begin] ends: the same face and the same riding flag.
// The lists keep a face's riders ahead of the others, so each face has at most two such runs.
size_t World::lightRunEnd(const std::vector<Object*>& list, size_t begin) {
    size_t end = begin;
    while (end < list.size() && list[end]->face == list[begin]->face &&
           list[end]->onRotatingLayer == list[begin]->onRotatingLayer)
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

    // The camera is on the model-view now: what this view sees follows from the two matrices.
    CubeView view(currentMatrix(GL_MODELVIEW_MATRIX), currentMatrix(GL_PROJECTION_MATRIX));
    drawStickers(view);
    drawShadows(focus, view);
    drawnView = &view;
    drawObjects(boxes, viewMatrix, focus, view);
    drawObjects(movables, viewMatrix, focus, view);
    drawnView = nullptr;
    glDisable(GL_LIGHTING);
}

// The sides lit by one face's light go in as few draws as their layout allows; what cannot be
// seen from this eye is not sent at all.
void World::drawStickers(const CubeView& view) {
    mesh.update(*this);
    mesh.bind();
    for (int f = 0; f < 6; ++f) {
        CubeMesh::Range shown[1 + CubeMesh::GAP + 1];
        int count = 0;
        if (mesh.facesPoint(mesh.still[f], view.eye))
            shown[count++] = mesh.still[f];
        for (int seam = 0; seam <= CubeMesh::GAP; ++seam)
            if (mesh.seams[seam][f].count > 0 && mesh.seamsShow(seam, view.eye))
                shown[count++] = mesh.seams[seam][f];
        drawMeshRanges(shown, count, f, false);
    }
    for (int f = 0; f < 6; ++f)
        if (mesh.facesPoint(mesh.turning[f], view.eye))
            drawMeshRanges(&mesh.turning[f], 1, f, true);
    CubeMesh::unbind();
}

// Under the lights of face f (riding: of a turning layer), ranges in layout order; neighbours
// merge into one draw.
void World::drawMeshRanges(const CubeMesh::Range* ranges, int count, int f, bool riding) const {
    if (count == 0)
        return;
    enableFaceLights(f, riding);
    CubeMesh::Range run = ranges[0];
    for (int i = 1; i < count; ++i) {
        if (ranges[i].first == run.first + run.count) {
            run.count += ranges[i].count;
            continue;
        }
        mesh.draw(run);
        run = ranges[i];
    }
    mesh.draw(run);
    disableFaceLights(f);
}

// The lights change once per run of objects lit alike, not once per object.
void World::drawObjects(const std::vector<Object*>& list, const Matrix4f* viewMatrix,
                        const Vec3f* focus, const CubeView& view) const {
    int hidden = focus ? faceOf(-*focus) : -1;
    const bool skipTwins = twinsChangeNothing();
    for (size_t begin = 0, end; begin < list.size(); begin = end) {
        end = lightRunEnd(list, begin);
        int f = list[begin]->face;
        if (f == hidden)
            continue;
        bool lit = false;
        drawnBlocks.clear();
        for (size_t i = begin; i < end; ++i) {
            Object* object = list[i];
            if (behindViewer(*object, viewMatrix) || outsideView(*object, view))
                continue;
            if (skipTwins && !drawnBlocks.firstOfItsKind(*object))
                continue;
            if (!lit)
                enableFaceLights(f, object->onRotatingLayer);
            lit = true;
            glPushMatrix();
            glMultMatrix(object->matrix);
            object->draw(false);
            glPopMatrix();
        }
        if (lit)
            disableFaceLights(f);
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

// Only a block is known to draw nothing outside its bounding box; any other object may (a
// tank's tread marks trail behind it), so it is left to OpenGL's clipping or to the object
// itself (outsideDrawnView). The test allows for two ways the box can be off: mid-turn the
// object is tilted inside a box that keeps its old orientation, and after it has ridden a turn
// its box is left centred on its base, half its height low. Whatever the tilt, the object stays
// within its box's half diagonal of the box's centre, and the shift is less than the box's
// largest half extent.
bool World::outsideView(const Object& object, const CubeView& view) const {
    if (object.type != BOX)
        return false;
    return outsideDrawnView(object, view);
}

bool World::outsideDrawnView(const Object& object) const {
    return drawnView != nullptr && outsideDrawnView(object, *drawnView);
}

bool World::outsideDrawnView(const Object& object, const CubeView& view) {
    const float* b = object.boundingBox.intervals;
    Vec3f half(b[1] - b[0], b[3] - b[2], b[5] - b[4]);
    half = half * 0.5f;
    float reach = half.length() + std::max({half.x(), half.y(), half.z()});
    float bounds[6];
    for (int axis = 0; axis < 3; ++axis) {
        float centre = (b[2 * axis] + b[2 * axis + 1]) * 0.5f;
        bounds[2 * axis] = centre - reach;
        bounds[2 * axis + 1] = centre + reach;
    }
    return view.outside(bounds);
}

// The miniature is seen from a point as the world is, so what faces away from that point is
// not sent either: the lights drawStickers switches stay dark with lighting off.
void World::drawMap(const Vec3f& viewDirection) {
    CubeView view(currentMatrix(GL_MODELVIEW_MATRIX), currentMatrix(GL_PROJECTION_MATRIX));
    drawStickers(view);
    const bool skipTwins = twinsChangeNothing();
    drawnBlocks.clear();
    for (Object* object : boxes)
        if (!skipTwins || drawnBlocks.firstOfItsKind(*object))
            object->drawOnMap(viewDirection);
    for (Object* object : movables)
        object->drawOnMap(viewDirection);
}
