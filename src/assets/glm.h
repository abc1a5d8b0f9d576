#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Wavefront OBJ models with MTL material libraries.
//
// A GlmModel and everything it points to (arrays, materials, groups, names) is allocated by
// this module with malloc and belongs to whoever holds the model until glmFreeModel releases
// it. Vertex, normal, texture-coordinate and facet-normal arrays are 1-based: element 0 is
// allocated and never used. Triangle indices are the file's own 1-based indices, and the
// reader guarantees every one of them names an element that exists.

// Render mode bits for glmDraw.
constexpr unsigned int GLM_NONE = 0;
constexpr unsigned int GLM_FLAT = 1u << 0;     // one facet normal per triangle
constexpr unsigned int GLM_SMOOTH = 1u << 1;   // one normal per corner
constexpr unsigned int GLM_TEXTURE = 1u << 2;  // one texture coordinate per corner
constexpr unsigned int GLM_COLOR = 1u << 3;    // group material's diffuse as the current colour
constexpr unsigned int GLM_MATERIAL = 1u << 4; // group material as the OpenGL material

struct GlmMaterial {
    char* name;
    float diffuse[4];
    float ambient[4];
    float specular[4];
    float emissive[4]; // never set by the reader
    float shininess;   // OpenGL range 0..128
};

struct GlmTriangle {
    unsigned int vertexindices[3];
    unsigned int normalindices[3];
    unsigned int texcoordindices[3];
    unsigned int facetindex;
};

// A named run of triangles sharing one material; groups form a list, newest first.
struct GlmGroup {
    char* name;
    unsigned int trianglecount;
    unsigned int* triangles; // indices into the model's triangles
    unsigned int material;   // index into the model's materials
    GlmGroup* next;
};

struct GlmModel {
    char* filepath;
    char* mtllib; // null when the file names no library

    unsigned int vertexcount;
    float* vertices; // 3 per vertex, 1-based

    unsigned int normalcount;
    float* normals; // 3 per normal, 1-based; null when there are none

    unsigned int texcoordcount;
    float* texcoords; // 2 per coordinate, 1-based; null when there are none

    unsigned int facetnormcount;
    float* facetnorms; // 3 per triangle, 1-based; null until glmFaceNormals

    unsigned int trianglecount;
    GlmTriangle* triangles; // 0-based

    unsigned int materialcount;
    GlmMaterial* materials; // 0-based, entry 0 is "default"; null without a library

    unsigned int groupcount;
    GlmGroup* groups;

    float position[3];
};

// Why a model could not be read. `message` is complete, newline included, ready to print.
struct GlmError {
    std::string message;
    bool toStandardOutput = false; // the unknown-token report goes to stdout, the rest to stderr
};

// Supplies the bytes of a file the reader needs besides the model itself (its material
// library). Returns false when the file cannot be read.
using GlmFileSource = std::function<bool(const std::string& path, std::string& contents)>;

// Reads `path` and its material library from disk. Prints the error and exits with status 1
// when the model cannot be read soundly or holds no triangle: the game cannot run without its
// models.
GlmModel* glmReadOBJ(const char* path);

// The same without printing or exiting: null and `error` filled when the model is unreadable
// or holds no triangle.
GlmModel* glmReadOBJCore(const char* path, GlmError& error);

// Reads a model from memory; `path` names it (in messages, and as the directory its material
// library is looked up in through `source`). A model without triangles is read as it is.
GlmModel* glmReadOBJMemory(const char* path, const char* data, std::size_t size,
                           const GlmFileSource& source, GlmError& error);

// Releases the model and everything it owns.
void glmFreeModel(GlmModel* model);

// Centres the mesh on the origin and scales it to fit [-1, 1]; returns the scale factor.
// A model without vertices is left as it is (factor 1).
float glmFitUnitCube(GlmModel* model);

// Width, height and depth of the mesh as sums of the coordinate magnitudes: |max| + |min|.
void glmExtents(GlmModel* model, float* dimensions);

void glmScaleBy(GlmModel* model, float scale);

// One unit normal per triangle (a degenerate triangle gets a zero normal).
void glmFaceNormals(GlmModel* model);

// Per-corner normals: corners whose facets lie within `angle` degrees of the first facet
// listed at their vertex share one averaged normal. Needs glmFaceNormals first.
void glmVertexNormals(GlmModel* model, float angle);

// The mode glmDraw actually uses: `mode` less the bits the model cannot serve, with a warning
// on standard output for each bit dropped.
unsigned int glmDrawMode(const GlmModel* model, unsigned int mode);

// Issues immediate-mode OpenGL triangles for every group (needs a current GL context).
void glmDraw(GlmModel* model, unsigned int mode);

// Internal steps, exposed for the tests.
char* glmDirectoryOf(const char* path);
unsigned int glmFindMaterial(GlmModel* model, const char* name);
GlmGroup* glmLookupGroup(GlmModel* model, const char* name);
GlmGroup* glmNewGroup(GlmModel* model, const char* name);
