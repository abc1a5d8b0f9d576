#include <GL/gl.h>
#include <cmath>

#include "entities/item.h"
#include "entities/itemtextures.h"
#include "math/constants.h"

void Item::drawIcon() const {
    ItemTextures& icons = ItemTextures::instance();
    icons.loadTextures();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, icons.textures[kind]);
    glBegin(GL_POLYGON);
    glNormal3f(0, 0, 1);
    glColor3f(1, 1, 1);
    for (int i = 0; i < 20; ++i) {
        double a = i * 2 * PI / 20;
        float u = static_cast<float>(std::cos(a) * 0.5 + 0.5);
        float v = static_cast<float>(std::sin(a) * 0.5 + 0.5);
        glTexCoord2f(u, v);
        glVertex3f(u, v, 0);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}
