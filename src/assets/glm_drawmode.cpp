#include <cassert>
#include <cstdio>

#include "assets/glm.h"

// Kept apart from glmDraw so the checks run (and are tested) without OpenGL.
unsigned int glmDrawMode(const GlmModel* model, unsigned int mode) {
    assert(model);
    if ((mode & GLM_FLAT) && !model->facetnorms) {
        std::printf("glmDraw() warning: flat render mode requested "
                    "with no facet normals defined.\n");
        mode &= ~GLM_FLAT;
    }
    if ((mode & GLM_SMOOTH) && !model->normals) {
        std::printf("glmDraw() warning: smooth render mode requested "
                    "with no normals defined.\n");
        mode &= ~GLM_SMOOTH;
    }
    if ((mode & GLM_TEXTURE) && !model->texcoords) {
        std::printf("glmDraw() warning: texture render mode requested "
                    "with no texture coordinates defined.\n");
        mode &= ~GLM_TEXTURE;
    }
    if ((mode & GLM_FLAT) && (mode & GLM_SMOOTH)) {
        std::printf("glmDraw() warning: flat render mode requested "
                    "and smooth render mode requested (using smooth).\n");
        mode &= ~GLM_FLAT;
    }
    if ((mode & GLM_COLOR) && !model->materials) {
        std::printf("glmDraw() warning: color render mode requested "
                    "with no materials defined.\n");
        mode &= ~GLM_COLOR;
    }
    if ((mode & GLM_MATERIAL) && !model->materials) {
        std::printf("glmDraw() warning: material render mode requested "
                    "with no materials defined.\n");
        mode &= ~GLM_MATERIAL;
    }
    if ((mode & GLM_COLOR) && (mode & GLM_MATERIAL)) {
        std::printf("glmDraw() warning: color and material render mode requested "
                    "using only material mode.\n");
        mode &= ~GLM_COLOR;
    }
    return mode;
}
