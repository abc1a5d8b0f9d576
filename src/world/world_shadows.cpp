#include <GL/gl.h>

#include "math/faces.h"
#include "math/glmatrix.h"
#include "world/cubeview.h"
#include "world/world.h"

namespace {

void loadClipPlanes(const double planes[4][4]) {
    for (int i = 0; i < 4; ++i)
        glClipPlane(GL_CLIP_PLANE0 + i, planes[i]);
}

// Shadows are black at `alpha` opacity. The blend gives every shadow pixel the colour beneath
// times (1 - alpha), whatever colour, material or lighting the fragment carries: the pass never
// touches the material that colour material tracks, so no driver can leave the objects drawn
// after it with the shadows' black material.
void setShadowAlpha(float alpha) {
    glBlendColor(0.0f, 0.0f, 0.0f, alpha);
}

// Clears the stencil buffer in the current viewport only: the other views of a split screen
// keep theirs, and a full-window clear would cost every view the whole window.
void clearStencilInViewport() {
    if (glIsEnabled(GL_SCISSOR_TEST)) { // the caller's scissor already bounds the clear
        glClear(GL_STENCIL_BUFFER_BIT);
        return;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

} // namespace

// Each pixel takes one shadow (the stencil), so a block's twin, which would shade exactly the
// pixels its first drawing shaded, is left out; without a stencil buffer it would shade them
// again, and is drawn.
void World::drawShadowsOf(size_t begin, size_t end, const Matrix4f& projection) const {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    drawnBlocks.clear();
    glPushMatrix();
    glMultMatrix(projection);
    for (size_t i = begin; i < end; ++i) {
        if (stencilBits > 0 && !drawnBlocks.firstOfItsKind(*allObjects[i]))
            continue;
        glPushMatrix();
        glMultMatrix(allObjects[i]->matrix);
        allObjects[i]->draw(true);
        glPopMatrix();
    }
    glPopMatrix();
}

void World::drawShadows(const Vec3f* focus, const CubeView& view) {
    // Each pixel takes at most one shadow: the first one drawn raises its stencil to 1.
    glClearStencil(0);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_NOTEQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    clearStencilInViewport();
    for (int i = 0; i < 4; ++i)
        glEnable(GL_CLIP_PLANE0 + i);
    // The shadow's colour comes from the blend alone, so lighting has nothing to add.
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_CONSTANT_ALPHA);
    setShadowAlpha(shadowAlpha);

    int focusFace = focus ? faceOf(*focus) : -1;
    for (size_t begin = 0, end; begin < allObjects.size(); begin = end) {
        int f = allObjects[begin]->face;
        end = faceRunEnd(allObjects, begin);
        if (allObjects[begin]->onRotatingLayer) {
            if (turningShadowsSeen(*allObjects[begin], view.eye))
                drawTurningFaceShadows(begin, end);
        } else if (focus == nullptr || f == focusFace) {
            loadClipPlanes(faceClipPlanes[f]);
            drawShadowsOf(begin, end, shadowMatrices[f]);
        }
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    for (int i = 0; i < 4; ++i)
        glDisable(GL_CLIP_PLANE0 + i);
    glDisable(GL_STENCIL_TEST);
}

// A turning face's shadows lie on its plane and on its strip's tilted plane, just above the
// cubies. From an eye below both planes they could only be seen from underneath, through the
// cube, which hides them.
bool World::turningShadowsSeen(const Object& firstRider, const Vec3f& eye) const {
    return faceNormal(firstRider.face).dot(eye) > halfExtent() ||
           firstRider.up.dot(eye) > halfExtent();
}

// The face whose riders are being turned: the still part of the face keeps the flat shadows,
// cut at the layer; the turning strip gets shadows on its tilted plane from both the old and
// the new face's light, each faded by how squarely its light falls on the strip.
void World::drawTurningFaceShadows(size_t begin, size_t end) {
    int f = allObjects[begin]->face;
    int g = rotateFace(rotationAxis, rotationDirection, f);
    const Vec3f& up = allObjects[begin]->up;
    const Vec3f& o = allObjects[begin]->position;
    Vec3f a = faceNormal(faceIndex(rotationAxis, true));
    Vec3f p = cross(up, a);
    Vec3f light1(lightPositions[f].x(), lightPositions[f].y(), lightPositions[f].z());
    Vec3f light2(lightPositions[g].x(), lightPositions[g].y(), lightPositions[g].z());
    float alpha1 = shadowAlpha * (light1 - o).dot(up) / (light1 - o).length();
    float alpha2 = shadowAlpha * (light2 - o).dot(up) / (light2 - o).length();
    Matrix4f tilted1, tilted2;
    shadowMatrix(up, light1, -shadowPlaneOffset(), tilted1);
    shadowMatrix(up, light2, -shadowPlaneOffset(), tilted2);

    // Loaded here, under the camera's model-view, so that they cut in eye space where the
    // layer really is for this view.
    glClipPlane(GL_CLIP_PLANE4, layerClipPlanes[2]);
    glClipPlane(GL_CLIP_PLANE5, layerClipPlanes[3]);
    loadClipPlanes(faceClipPlanes[f]);
    setShadowAlpha(shadowAlpha);
    for (GLenum side : {GL_CLIP_PLANE5, GL_CLIP_PLANE4}) {
        glEnable(side);
        drawShadowsOf(begin, end, shadowMatrices[f]);
        glDisable(side);
    }

    double limit = shadowLimit();
    const double strip[2][4] = {{p.x(), p.y(), p.z(), limit}, {-p.x(), -p.y(), -p.z(), limit}};
    glClipPlane(GL_CLIP_PLANE0, strip[0]);
    glClipPlane(GL_CLIP_PLANE1, strip[1]);
    glClipPlane(GL_CLIP_PLANE2, layerClipPlanes[0]);
    glClipPlane(GL_CLIP_PLANE3, layerClipPlanes[1]);
    setShadowAlpha(alpha2);
    drawShadowsOf(begin, end, tilted2);
    setShadowAlpha(alpha1);
    drawShadowsOf(begin, end, tilted1);
    setShadowAlpha(shadowAlpha);
}
