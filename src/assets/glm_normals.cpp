#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/glm.h"
#include "math/constants.h"
#include "math/vectors.h"

namespace {

Vec3f vertexAt(const float* array, unsigned int index) {
    const float* p = &array[3 * index];
    return Vec3f(p[0], p[1], p[2]);
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
        Vec3f a = vertexAt(model->vertices, t.vertexindices[0]);
        Vec3f b = vertexAt(model->vertices, t.vertexindices[1]);
        Vec3f c = vertexAt(model->vertices, t.vertexindices[2]);
        // A degenerate triangle keeps a zero normal rather than NaNs.
        Vec3f n = cross(b - a, c - a);
        n.normalize();
        std::memcpy(&model->facetnorms[3 * (i + 1)], n.data(), 3 * sizeof(float));
    }
}

void glmVertexNormals(GlmModel* model, float angle) {
    assert(model);
    assert(model->facetnorms);
    float cosAngle = static_cast<float>(std::cos(angle * PI / 180));

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
        Vec3f reference =
            vertexAt(model->facetnorms, model->triangles[list[0].triangle].facetindex);
        Vec3f sum;
        averaged.assign(count, 0);
        bool any = false;
        for (unsigned int e = 0; e < count; ++e) {
            Vec3f facet =
                vertexAt(model->facetnorms, model->triangles[list[e].triangle].facetindex);
            if (facet.dot(reference) > cosAngle) {
                averaged[e] = 1;
                any = true;
                sum += facet;
            }
        }
        unsigned int average = 0;
        if (any) {
            sum.normalize();
            average = next++;
            std::memcpy(&model->normals[3 * average], sum.data(), 3 * sizeof(float));
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
