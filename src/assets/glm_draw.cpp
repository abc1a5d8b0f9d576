#include <GL/gl.h>
#include <cassert>

#include "assets/glm.h"

namespace {

void applyMaterial(const GlmModel* model, const GlmGroup* group, unsigned int mode) {
    assert(group->material < model->materialcount);
    const GlmMaterial& material = model->materials[group->material];
    if (mode & GLM_MATERIAL) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.shininess);
    }
    if (mode & GLM_COLOR)
        glColor3fv(material.diffuse);
}

void drawTriangle(const GlmModel* model, const GlmTriangle& t, unsigned int mode) {
    if (mode & GLM_FLAT)
        glNormal3fv(&model->facetnorms[3 * t.facetindex]);
    for (int c = 0; c < 3; ++c) {
        if (mode & GLM_SMOOTH)
            glNormal3fv(&model->normals[3 * t.normalindices[c]]);
        if (mode & GLM_TEXTURE)
            glTexCoord2fv(&model->texcoords[2 * t.texcoordindices[c]]);
        glVertex3fv(&model->vertices[3 * t.vertexindices[c]]);
    }
}

} // namespace

void glmDraw(GlmModel* model, unsigned int mode) {
    assert(model);
    assert(model->vertices);
    mode = glmDrawMode(model, mode);
    if (mode & GLM_COLOR)
        glEnable(GL_COLOR_MATERIAL);
    else if (mode & GLM_MATERIAL)
        glDisable(GL_COLOR_MATERIAL);
    for (const GlmGroup* group = model->groups; group; group = group->next) {
        if (mode & (GLM_MATERIAL | GLM_COLOR))
            applyMaterial(model, group, mode);
        glBegin(GL_TRIANGLES);
        for (unsigned int i = 0; i < group->trianglecount; ++i)
            drawTriangle(model, model->triangles[group->triangles[i]], mode);
        glEnd();
    }
}
