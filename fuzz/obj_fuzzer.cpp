// Feeds arbitrary bytes to the model reader: everything before the first NUL byte is the OBJ
// file, everything after it the material library any "mtllib" line gets. Whatever reads must
// then survive the game's whole sequence: fitting, scaling, normals and every array access a
// draw would make.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "assets/glm.h"

namespace {

// Touches every element glmDraw would read, so ASan sees any index that escapes its array.
float walkLikeDraw(const GlmModel* m, unsigned int mode) {
    float sum = 0;
    for (const GlmGroup* g = m->groups; g; g = g->next) {
        if (mode & (GLM_COLOR | GLM_MATERIAL))
            sum += m->materials[g->material].diffuse[0] + m->materials[g->material].shininess;
        for (unsigned int i = 0; i < g->trianglecount; ++i) {
            const GlmTriangle& t = m->triangles[g->triangles[i]];
            if (mode & GLM_FLAT)
                sum += m->facetnorms[3 * t.facetindex + 2];
            for (int c = 0; c < 3; ++c) {
                if (mode & GLM_SMOOTH)
                    sum += m->normals[3 * t.normalindices[c] + 2];
                if (mode & GLM_TEXTURE)
                    sum += m->texcoords[2 * t.texcoordindices[c] + 1];
                sum += m->vertices[3 * t.vertexindices[c] + 2];
            }
        }
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(text, '\0', size);
    size_t objSize = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
    std::string library = nul ? std::string(text + objSize + 1, size - objSize - 1) : "";
    GlmFileSource source = [&](const std::string&, std::string& contents) {
        contents = library;
        return nul != nullptr;
    };
    GlmError error;
    GlmModel* model = glmReadOBJMemory("models/fuzz.obj", text, objSize, source, error);
    if (!model)
        return 0;
    unsigned int all = GLM_FLAT | GLM_TEXTURE | GLM_COLOR | GLM_MATERIAL;
    volatile float sink = walkLikeDraw(model, glmDrawMode(model, all | GLM_SMOOTH));
    float extents[3];
    glmFitUnitCube(model);
    glmExtents(model, extents);
    if (extents[0] > 0)
        glmScaleBy(model, 2.0f / extents[0]);
    glmFaceNormals(model);
    glmVertexNormals(model, 15.0f);
    sink = sink + walkLikeDraw(model, glmDrawMode(model, all));
    sink = sink + walkLikeDraw(model, glmDrawMode(model, GLM_SMOOTH | GLM_TEXTURE | GLM_COLOR));
    glmFreeModel(model);
    return 0;
}
