#include <GL/gl.h>
#include <GL/glu.h>
#include <cassert>
#include <cstdlib>

#include "assets/sgiimage.h"
#include "view/headsupdisplay.h"

namespace {

constexpr float UNIT = 0.02f;           // u: a disc's thickness
constexpr float DISC_RADIUS = 3 * UNIT; // r
constexpr float GAP = 0.6f * UNIT;      // between two discs
constexpr float SIDE_MARGIN = 0.03f;    // from the overlay's right edge
constexpr float BOTTOM_MARGIN = 0.05f;  // from its bottom
constexpr float TILT = -85.0f;          // degrees about x: the stack leans towards the viewer
constexpr const char* ICON = "textures/health_02.rgb";

// Loaded on the first draw of any display and kept for the program's life.
GLuint iconTexture() {
    static GLuint texture = 0;
    if (texture != 0)
        return texture;
    int width = 0, height = 0, components = 0;
    unsigned char* pixels = readRgbaImage(ICON, &width, &height, &components);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (pixels)
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    std::free(pixels);
    return texture;
}

// A cylinder of `length` along the local z axis from its base, with a disc closing its far end.
void drawClosedCylinder(GLUquadric* quadric, float length, float capGrey) {
    gluCylinder(quadric, DISC_RADIUS, DISC_RADIUS, length, 30, 10);
    glPushMatrix();
    glTranslatef(0, 0, length);
    if (capGrey >= 0)
        glColor3f(capGrey, capGrey, capGrey);
    gluDisk(quadric, 0, DISC_RADIUS, 20, 1);
    glPopMatrix();
}

// The icon (textured, with its grey cap) and one disc (in the current colour), each compiled
// into a display list by the first draw of any display and kept for the program's life: drawn
// afresh every frame, a gauge of ten discs cost a quarter of a six-player frame.
GLuint compiledCylinder(GLUquadric* quadric, bool icon) {
    static GLuint lists = 0; // the icon's, then the disc's
    if (lists == 0) {
        lists = glGenLists(2);
        glNewList(lists, GL_COMPILE);
        gluQuadricTexture(quadric, GL_TRUE);
        drawClosedCylinder(quadric, 2 * DISC_RADIUS, 0.8f);
        gluQuadricTexture(quadric, GL_FALSE);
        glEndList();
        glNewList(lists + 1, GL_COMPILE);
        drawClosedCylinder(quadric, UNIT, -1);
        glEndList();
    }
    assert(lists != 0);
    return icon ? lists : lists + 1;
}

} // namespace

void HeadsUpDisplay::drawGauge(int health) {
    const float x = width - DISC_RADIUS - SIDE_MARGIN;
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, iconTexture());
    glPushMatrix();
    glTranslatef(x, BOTTOM_MARGIN, -1.5f * DISC_RADIUS);
    glRotatef(TILT, 1, 0, 0);
    glColor3f(1, 1, 1);
    glCallList(compiledCylinder(quadric, true));
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);

    if (health <= 3)
        glColor3f(1, 0, 0);
    else if (health <= 6)
        glColor3f(1, 1, 0);
    else
        glColor3f(0, 1, 0);
    // The first disc sits on the icon: 2r + gap above the bottom margin; each next one u + gap.
    const float first = 2 * DISC_RADIUS + GAP + BOTTOM_MARGIN;
    for (int i = 0; i < health; ++i) {
        glPushMatrix();
        glTranslatef(x, first + (UNIT + GAP) * static_cast<float>(i), -1.5f * DISC_RADIUS);
        glRotatef(TILT, 1, 0, 0);
        glCallList(compiledCylinder(quadric, false));
        glPopMatrix();
    }
}
