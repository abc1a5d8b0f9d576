#include "screens/overlaytext.h"

#include <GL/gl.h>

#include "platform/stroketext.h"
#include "world/cube.h"

void drawOutlinedText(const std::string& text, float x, float y, float height,
                      const Vec3f& colour) {
    float scale = height / OVERLAY_FONT_HEIGHT;
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST); // over everything, drawn in order
    glPushMatrix();
    glTranslatef(x, y, -0.2f);
    glScalef(scale, scale, scale);
    glColor3f(0.05f, 0.05f, 0.05f);
    drawStrokeText(text, 4.0f);
    glColor3f(colour.x(), colour.y(), colour.z());
    drawStrokeText(text, 1.5f);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

float overlayTextWidth(const std::string& text, float height) {
    return strokeTextWidth(text) * height / OVERLAY_FONT_HEIGHT;
}

std::string colourName(const Vec4f& colour) {
    static const char* const NAMES[6] = {"White", "Green", "Red", "Blue", "Orange", "Yellow"};
    int best = 0;
    float bestDistance = 1e30f;
    for (int i = 0; i < 6; ++i) {
        float d = 0;
        for (int c = 0; c < 3; ++c)
            d += (colour[c] - FACE_COLORS[i][c]) * (colour[c] - FACE_COLORS[i][c]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return NAMES[best];
}

void overlayProjection(float aspect) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-aspect / 2, aspect / 2, -0.5, 0.5, 7, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-aspect / 2, -0.5f, -7.0f);
}
