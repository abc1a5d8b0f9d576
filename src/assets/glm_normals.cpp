#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/glm.h"

namespace {

void cross(const float* u, const float* v, float* n) {
    assert(u);
    assert(v);
    assert(n);
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

// A zero vector (a degenerate triangle) stays zero rather than turning into NaNs.
void normalize(float* v) {
    assert(v);
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f)
        for (int k = 0; k < 3; ++k)
            v[k] /= length;
}

float dot(const float* u, const float* v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

// One use of a vertex: a triangle and which of its corners.
struct Corner {
    unsigned int triangle;
    int corner;
};

// For every vertex the corners that use it, latest triangle first, in one flat array:
// vertex v's corners are corners[start[v]] .. corners[start[v + 1] - 1].
void buildCornerLists(const GlmModel* model, std::vector<unsigned int>& start,
                      std::vector<Corner>& corners) {
    start.assign(model->vertexcount + 2, 0);
    for (unsigned int t = 0; t < model->trianglecount; ++t)
        for (int c = 0; c < 3; ++c)
            ++start[model->triangles[t].vertexindices[c] + 1];
    for (unsigned int v = 1; v <= model->vertexcount + 1; ++v)
        start[v] += start[v - 1];
    std::vector<unsigned int> fill(start.begin(), start.end() - 1);
    corners.assign(3ul * model->trianglecount, Corner{0, 0});
    for (unsigned int t = model->trianglecount; t-- > 0;)
        for (int c = 0; c < 3; ++c)
            corners[fill[model->triangles[t].vertexindices[c]]++] = Corner{t, c};
}

} // namespace

void glmFaceNormals(GlmModel* model) {
    assert(model);
    assert(model->vertices);
    std::free(model->facetnorms);
    model->facetnormcount = model->trianglecount;
    model->facetnorms =
        static_cast<float*>(std::calloc(3 * (model->facetnormcount + 1ul), sizeof(float)));
    assert(model->facetnorms);
    for (unsigned int i = 0; i < model->trianglecount; ++i) {
        GlmTriangle& t = model->triangles[i];
        t.facetindex = i + 1;
        const float* a = &model->vertices[3 * t.vertexindices[0]];
        const float* b = &model->vertices[3 * t.vertexindices[1]];
        const float* c = &model->vertices[3 * t.vertexindices[2]];
        float u[3], v[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = b[k] - a[k];
            v[k] = c[k] - a[k];
        }
        float* n = &model->facetnorms[3 * (i + 1)];
        cross(u, v, n);
        normalize(n);
    }
}

void glmVertexNormals(GlmModel* model, float angle) {
    assert(model);
    assert(model->facetnorms);
    float cosAngle = std::cos(angle * 3.14159265f / 180.0f);

    std::free(model->normals);
    model->normals =
        static_cast<float*>(std::calloc(3 * (3ul * model->trianglecount + 1), sizeof(float)));
    assert(model->normals);

    std::vector<unsigned int> start;
    std::vector<Corner> corners;
    buildCornerLists(model, start, corners);
    std::vector<char> averaged;

    unsigned int next = 1;
    for (unsigned int v = 1; v <= model->vertexcount; ++v) {
        if (start[v] == start[v + 1]) {
            std::fprintf(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        const Corner* list = &corners[start[v]];
        unsigned int count = start[v + 1] - start[v];
        const float* reference =
            &model->facetnorms[3 * model->triangles[list[0].triangle].facetindex];
        float sum[3] = {0.0f, 0.0f, 0.0f};
        averaged.assign(count, 0);
        bool any = false;
        for (unsigned int e = 0; e < count; ++e) {
            const float* facet =
                &model->facetnorms[3 * model->triangles[list[e].triangle].facetindex];
            if (dot(facet, reference) > cosAngle) {
                averaged[e] = 1;
                any = true;
                for (int k = 0; k < 3; ++k)
                    sum[k] += facet[k];
            }
        }
        unsigned int average = 0;
        if (any) {
            normalize(sum);
            average = next++;
            std::memcpy(&model->normals[3 * average], sum, sizeof sum);
        }
        for (unsigned int e = 0; e < count; ++e) {
            GlmTriangle& t = model->triangles[list[e].triangle];
            if (averaged[e]) {
                t.normalindices[list[e].corner] = average;
            } else {
                std::memcpy(&model->normals[3 * next], &model->facetnorms[3 * t.facetindex],
                            3 * sizeof(float));
                t.normalindices[list[e].corner] = next++;
            }
        }
    }
    model->normalcount = next - 1;
    float* shrunk = static_cast<float*>(
        std::realloc(model->normals, 3 * (model->normalcount + 1ul) * sizeof(float)));
    if (shrunk)
        model->normals = shrunk;
}
