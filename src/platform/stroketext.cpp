#include "platform/stroketext.h"

#include <GL/freeglut.h>

float strokeTextWidth(const std::string& text) {
    float width = 0.0f;
    for (unsigned char c : text)
        width += static_cast<float>(glutStrokeWidth(GLUT_STROKE_ROMAN, c));
    return width;
}

void drawStrokeText(const std::string& text, float lineWidth) {
    glPushMatrix();
    glLineWidth(lineWidth);
    for (unsigned char c : text)
        glutStrokeCharacter(GLUT_STROKE_ROMAN, c);
    glPopMatrix();
}
