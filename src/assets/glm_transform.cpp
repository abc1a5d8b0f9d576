#include <cassert>
#include <cmath>

#include "assets/glm.h"

namespace {

// Smallest and largest coordinate on each axis over vertices 1..vertexcount.
void bounds(const GlmModel* model, float* min, float* max) {
    for (int k = 0; k < 3; ++k)
        min[k] = max[k] = model->vertices[3 + k];
    for (unsigned int i = 2; i <= model->vertexcount; ++i)
        for (int k = 0; k < 3; ++k) {
            float v = model->vertices[3 * i + k];
            if (v < min[k])
                min[k] = v;
            if (v > max[k])
                max[k] = v;
        }
}

} // namespace

float glmFitUnitCube(GlmModel* model) {
    assert(model);
    assert(model->vertices);
    if (model->vertexcount == 0)
        return 1.0f;
    float min[3], max[3], centre[3], size[3];
    bounds(model, min, max);
    for (int k = 0; k < 3; ++k) {
        // Sums of magnitudes: the span only when the range straddles zero, but this is the
        // measure every caller's constants were tuned against.
        size[k] = std::fabs(max[k]) + std::fabs(min[k]);
        centre[k] = (max[k] + min[k]) / 2.0f;
    }
    float largest = std::fmax(std::fmax(size[0], size[1]), size[2]);
    // A mesh collapsed to one point is only centred: there is nothing to scale up.
    float scale = largest > 0.0f ? 2.0f / largest : 1.0f;
    for (unsigned int i = 1; i <= model->vertexcount; ++i)
        for (int k = 0; k < 3; ++k)
            model->vertices[3 * i + k] = (model->vertices[3 * i + k] - centre[k]) * scale;
    return scale;
}

void glmExtents(GlmModel* model, float* dimensions) {
    assert(model);
    assert(model->vertices);
    assert(dimensions);
    if (model->vertexcount == 0) {
        dimensions[0] = dimensions[1] = dimensions[2] = 0.0f;
        return;
    }
    float min[3], max[3];
    bounds(model, min, max);
    for (int k = 0; k < 3; ++k)
        dimensions[k] = std::fabs(max[k]) + std::fabs(min[k]);
}

void glmScaleBy(GlmModel* model, float scale) {
    assert(model);
    assert(model->vertices);
    for (unsigned int i = 1; i <= model->vertexcount; ++i)
        for (int k = 0; k < 3; ++k)
            model->vertices[3 * i + k] *= scale;
}
