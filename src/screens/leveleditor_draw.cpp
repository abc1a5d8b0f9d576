#include <GL/freeglut.h>
#include <cmath>

#include "platform/platform.h"
#include "platform/stroketext.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "world/world.h"

namespace {

constexpr float AXIS_LENGTH = 200.0f; // world units
const float HIGHLIGHT[4] = {0.7f, 0.7f, 0.7f, 1.0f};
const float AXIS_COLOURS[3][4] = {
    {1, 0, 0, 1}, {0, 0, 1, 1}, {0, 1, 0, 1}}; // x red, y blue, z green

float signOf(float v) {
    return v > 0 ? 1.0f : (v < 0 ? -1.0f : 0.0f);
}

void axisLine(const float* colour, float x, float y, float z) {
    glColor4fv(colour);
    glVertex3f(0, 0, 0);
    glVertex3f(x, y, z);
}

// Three short lines through `p` in the axis colours.
void axisCross(const Vec3f& p) {
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; ++axis) {
        glColor4fv(AXIS_COLOURS[axis]);
        Vec3f d;
        d[axis] = 1.0f;
        glVertex3fv((p - d).data());
        glVertex3fv((p + d).data());
    }
    glEnd();
}

} // namespace

void LevelEditor::drawAxes() const {
    const float black[4] = {0, 0, 0, 1};
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x00FF);
    glBegin(GL_LINES);
    axisLine(AXIS_COLOURS[0], AXIS_LENGTH, 0, 0);
    axisLine(AXIS_COLOURS[1], 0, AXIS_LENGTH, 0);
    axisLine(AXIS_COLOURS[2], 0, 0, AXIS_LENGTH);
    glEnd();
    glLineStipple(2, 0x1C47);
    glBegin(GL_LINES);
    axisLine(black, -AXIS_LENGTH, 0, 0);
    axisLine(black, 0, 0, -AXIS_LENGTH);
    axisLine(black, 0, -AXIS_LENGTH, 0);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
}

// The rectangle being dragged, on the face plane both corners share, lifted 0.1 off the face.
void LevelEditor::drawRubberBand() const {
    axisCross(startCorner);
    axisCross(hoverPoint);
    const Vec3f& a = startCorner;
    const Vec3f& b = hoverPoint;
    int axis = -1;
    for (int i = 0; i < 3 && axis < 0; ++i)
        if (std::fabs(a[i] - b[i]) < 0.005f)
            axis = i;
    if (axis < 0)
        return;
    int u = (axis + 1) % 3, v = (axis + 2) % 3;
    // The quad's corners in the order (u1, v1), (u2, v1), (u2, v2), (u1, v2).
    const float corners[4][2] = {{a[u], a[v]}, {b[u], a[v]}, {b[u], b[v]}, {a[u], b[v]}};
    glDisable(GL_CULL_FACE);
    glColor4fv(HIGHLIGHT);
    glBegin(GL_QUADS);
    for (const auto& corner : corners) {
        Vec3f p;
        p[axis] = a[axis] + 0.1f * signOf(a[axis]);
        p[u] = corner[0];
        p[v] = corner[1];
        glVertex3fv(p.data());
    }
    glEnd();
    glEnable(GL_CULL_FACE);
}

// The last save's or deletion's outcome along the bottom of the window, in front of everything:
// a failure in red, anything else in dark grey.
void LevelEditor::drawStatus() const {
    if (status.empty() || windowWidth <= 0 || windowHeight <= 0)
        return;
    const float height = 16;              // pixels, a capital letter's
    const float scale = height / 119.05f; // the stroke font's capitals are 119.05 units high
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (statusIsFailure)
        glColor3f(0.8f, 0.1f, 0.05f);
    else
        glColor3f(0.2f, 0.2f, 0.2f);
    // A long message shrinks to fit the window's width.
    float room = static_cast<float>(windowWidth) - 20;
    float width = strokeTextWidth(status) * scale;
    float fit = width > room ? room / width : 1.0f;
    glTranslatef(10, 10, 0);
    glScalef(scale * fit, scale * fit, 1);
    drawStrokeText(status, 2);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void LevelEditor::display() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    camera.apply();
    drawAxes();
    if (phase == 1)
        drawRubberBand();
    else if (phase == 2)
        axisCross(heightPoint);
    if (world)
        world->draw(nullptr, nullptr);
    glPopMatrix();
    drawStatus();
    glFlush();
    presentFrame();
}

void LevelEditor::reshape(int, int) {
    glViewport(0, 0, windowWidth, windowHeight);
    viewport[0] = 0;
    viewport[1] = 0;
    viewport[2] = windowWidth;
    viewport[3] = windowHeight;
}

void LevelEditor::activate() {
    if (mainMenu == 0) // first requested before GLUT started
        buildMenus(glutMenus());
    platform().attachMenu(mainMenu, GLUT_RIGHT_BUTTON);
    const float light[4] = {0.8f, 0.8f, 0.8f, 1};
    const float ambient[4] = {0.4f, 0.4f, 0.4f, 1};
    const float white[4] = {1, 1, 1, 1};
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glShadeModel(GL_SMOOTH);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, 20);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    status.clear();
    setWorld(new World(3, 28));
    reshape(windowWidth, windowHeight);
    // The aspect ratio is taken now and kept: resizing changes only the viewport.
    setProjection(aspectRatio(windowWidth, windowHeight));
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    reset();
}

void LevelEditor::deactivate() {
    platform().detachMenu(GLUT_RIGHT_BUTTON);
}
