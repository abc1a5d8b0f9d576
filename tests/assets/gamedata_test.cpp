#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "assetfixtures.h"
#include "assetgen.h"
#include "assets/sgiimage.h"
#include "support/childprocess.h"

namespace {

// The game's own constants for where its tank model's parts must be (they live in the tank's
// code; restated here so a changed model cannot silently drift from them).
constexpr float MODEL_UNIT = 0.0063613234f;
constexpr float MUZZLE_FORWARD = 179.1f * MODEL_UNIT;
constexpr float MUZZLE_UP = 234.2f * MODEL_UNIT;
constexpr float TREAD_SPACING = 1.4465649f;
constexpr float TREAD_WIDTH = 0.5063613f;
constexpr float LAUNCH_RISE = 0.60734695f;

// Every triangle edge is met by exactly one edge running the other way (the mesh is closed
// and consistently wound), and the enclosed volume is positive (the winding faces outwards).
void expectClosedAndOutward(const GlmModel* m, const char* name) {
    std::map<std::pair<unsigned, unsigned>, int> edges;
    double volume = 0;
    for (unsigned int t = 0; t < m->trianglecount; ++t) {
        const unsigned int* v = m->triangles[t].vertexindices;
        for (int c = 0; c < 3; ++c)
            ++edges[{v[c], v[(c + 1) % 3]}];
        const float *a = vertexOf(m, v[0]), *b = vertexOf(m, v[1]), *c = vertexOf(m, v[2]);
        volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                   a[2] * (b[0] * c[1] - b[1] * c[0])) /
                  6.0;
    }
    int unmatched = 0;
    for (const auto& [edge, count] : edges) {
        auto back = edges.find({edge.second, edge.first});
        if (count != 1 || back == edges.end() || back->second != 1)
            ++unmatched;
    }
    EXPECT_EQ(unmatched, 0) << name;
    EXPECT_GT(volume, 0.0) << name;
}

// Loads a model the way the game's tank does and returns it in the tank's frame: base centre
// at the origin (the model is drawn lifted by half its height).
GlmModel* tankAsPlaced(float extents[3]) {
    GlmModel* m = glmReadOBJ("models/tank_01.obj");
    glmFitUnitCube(m);
    glmExtents(m, extents);
    glmScaleBy(m, 2.0f / extents[0]);
    glmExtents(m, extents);
    for (unsigned int i = 1; i <= m->vertexcount; ++i)
        m->vertices[3 * i + 2] += extents[2] / 2;
    return m;
}

void groupBounds(GlmModel* m, const char* name, float min[3], float max[3]) {
    GlmGroup* g = glmLookupGroup(m, name);
    ASSERT_NE(g, nullptr) << name;
    for (int k = 0; k < 3; ++k) {
        min[k] = 1e9f;
        max[k] = -1e9f;
    }
    for (unsigned int i = 0; i < g->trianglecount; ++i)
        for (unsigned int v : m->triangles[g->triangles[i]].vertexindices)
            for (int k = 0; k < 3; ++k) {
                min[k] = std::fmin(min[k], vertexOf(m, v)[k]);
                max[k] = std::fmax(max[k], vertexOf(m, v)[k]);
            }
}

TEST(GameData, TankBarrelEndsAtTheMuzzleAndTreadsLieUnderTheTreadMarks) {
    float extents[3];
    ModelHolder m(tankAsPlaced(extents));
    EXPECT_NEAR(extents[0], 2.0f, 1e-5);

    // The muzzle: the centre of the barrel's far end along the launch direction.
    float dy = 1.0f / std::sqrt(1 + LAUNCH_RISE * LAUNCH_RISE), dz = LAUNCH_RISE * dy;
    GlmGroup* barrel = glmLookupGroup(m.get(), " barrel");
    ASSERT_NE(barrel, nullptr);
    float reach = -1e9f;
    for (unsigned int i = 0; i < barrel->trianglecount; ++i)
        for (unsigned int v : m->triangles[barrel->triangles[i]].vertexindices)
            reach = std::fmax(reach, vertexOf(m.get(), v)[1] * dy + vertexOf(m.get(), v)[2] * dz);
    float sum[3] = {0, 0, 0};
    int count = 0;
    for (unsigned int v = 1; v <= m->vertexcount; ++v) {
        const float* p = vertexOf(m.get(), v);
        if (std::fabs(p[1] * dy + p[2] * dz - reach) < 1e-4f) {
            for (int k = 0; k < 3; ++k)
                sum[k] += p[k];
            ++count;
        }
    }
    ASSERT_GE(count, 8);
    EXPECT_NEAR(sum[0] / count, 0.0f, 1e-4);
    EXPECT_NEAR(sum[1] / count, MUZZLE_FORWARD, 1e-4);
    EXPECT_NEAR(sum[2] / count, MUZZLE_UP, 1e-4);

    float min[3], max[3];
    for (int side = -1; side <= 1; side += 2) {
        groupBounds(m.get(), side < 0 ? " tread_left" : " tread_right", min, max);
        EXPECT_NEAR((min[0] + max[0]) / 2, side * TREAD_SPACING / 2, 1e-4);
        EXPECT_NEAR(max[0] - min[0], TREAD_WIDTH, 1e-4);
        EXPECT_NEAR(min[2], 0.0f, 1e-5) << "the treads stand on the face";
    }
}

TEST(GameData, EveryModelLoadsClosedAndOutwardFacing) {
    for (const char* path : {"models/tank_01.obj", "models/test_01.obj", "models/zentrovix.obj"}) {
        ModelHolder m(glmReadOBJ(path));
        EXPECT_GT(m->materialcount, 1u) << path;
        expectClosedAndOutward(m.get(), path);
        glmFaceNormals(m.get());
        glmVertexNormals(m.get(), 15.0f);
        for (unsigned int i = 1; i <= m->normalcount; ++i)
            EXPECT_NEAR(std::hypot(m->normals[3 * i], m->normals[3 * i + 1], m->normals[3 * i + 2]),
                        1.0f, 1e-4)
                << path;
    }
}

TEST(GameData, ObstacleStandsOnItsBaseAndIsDetailedEnoughToSplit) {
    ModelHolder m(glmReadOBJ("models/test_01.obj"));
    EXPECT_GE(m->trianglecount, 300u);
    EXPECT_LE(m->trianglecount, 5000u);
    float d[3];
    glmExtents(m.get(), d);
    glmScaleBy(m.get(), 10.0f / d[0]);
    float min[3], max[3];
    groupBounds(m.get(), " rock", min, max);
    EXPECT_NEAR(min[2], 0.0f, 1e-5);
    glmExtents(m.get(), d);
    EXPECT_NEAR(d[0], 10.0f, 1e-4);
    EXPECT_LT(d[2], 15.0f) << "inside the obstacle's bounding box";
    EXPECT_LT(d[1], 18.0f);
}

TEST(GameData, TitleSpellsFiveLettersFacingTheViewer) {
    ModelHolder m(glmReadOBJ("models/zentrovix.obj"));
    const char* letters[] = {" Q", " U", " O", " R", " L"};
    float previousRight = -1e9f;
    for (const char* letter : letters) {
        float min[3], max[3];
        groupBounds(m.get(), letter, min, max);
        EXPECT_GT(min[0], previousRight) << letter << " stands right of the letter before";
        previousRight = max[0];
    }
    glmFaceNormals(m.get());
    int front = 0;
    for (unsigned int t = 1; t <= m->facetnormcount; ++t)
        front += m->facetnorms[3 * t + 2] > 0.99f;
    EXPECT_GT(front, 50) << "the letters' faces look along +Z";
}

TEST(GameData, EveryTextureLoadsAsASquareIcon) {
    for (const char* name : {"projectile_01", "triple_projectile_01", "nuke", "health_01",
                             "random_rotation_01", "health_02"}) {
        std::string path = std::string("textures/") + name + ".rgb";
        int w = 0, h = 0, c = 0;
        unsigned char* pixels = readRgbaImage(path.c_str(), &w, &h, &c);
        ASSERT_NE(pixels, nullptr) << path;
        EXPECT_EQ(w, 128);
        EXPECT_EQ(h, 128);
        EXPECT_EQ(c, 4);
        std::string raw = readWholeFile(path);
        EXPECT_EQ(static_cast<unsigned char>(raw[2]), 1) << path << " is run-length encoded";
        // Opaque in the middle, where the item's disc shows it.
        EXPECT_EQ(pixels[4 * (64 * 128 + 64) + 3], 255) << path;
        std::free(pixels);
    }
}

// The launcher's icons: PNG pictures of the sizes their names give, with room to spare round
// the cube (transparent corners).
TEST(GameData, LauncherIconsArePngsOfTheirSizes) {
    for (int size : {48, 64, 128, 256}) {
        std::string path = "icons/quorl-" + std::to_string(size) + ".png";
        std::string png = readWholeFile(path);
        ASSERT_GT(png.size(), 33u) << path;
        EXPECT_EQ(png.substr(1, 3), "PNG") << path;
        auto number = [&](size_t at) {
            return (static_cast<unsigned char>(png[at]) << 24) |
                   (static_cast<unsigned char>(png[at + 1]) << 16) |
                   (static_cast<unsigned char>(png[at + 2]) << 8) |
                   static_cast<unsigned char>(png[at + 3]);
        };
        EXPECT_EQ(png.substr(12, 4), "IHDR") << path;
        EXPECT_EQ(number(16), size) << path;
        EXPECT_EQ(number(20), size) << path;
        EXPECT_EQ(png[25], 6) << path << " is RGBA";
    }
}

TEST(GameData, GeneratorReproducesTheCommittedFilesByteForByte) {
    ScratchDir dir;
    ChildProcess generator(QUORL_ASSETGEN, {dir.path}, dir.path);
    ASSERT_EQ(generator.waitForExit(60), 0) << generator.output();
    for (const std::string& file : generatedAssetFiles()) {
        std::string made = readWholeFile(dir.file(file));
        std::string committed = readWholeFile(std::string(QUORL_SOURCE_DIR) + "/data/" + file);
        EXPECT_FALSE(made.empty()) << file;
        EXPECT_TRUE(made == committed) << file << " differs from the generator's output";
    }
}

} // namespace
