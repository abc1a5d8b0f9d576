#include <gtest/gtest.h>

#include <cstring>

#include "assetfixtures.h"

namespace {

const char* SQUARE_VERTICES = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0.5 1.5 0\n";

std::vector<unsigned int> corners(const GlmTriangle& t) {
    return {t.vertexindices[0], t.vertexindices[1], t.vertexindices[2]};
}

TEST(GlmRead, PlainVerticesAndFacesGoToTheDefaultGroup) {
    GlmError error;
    ModelHolder m(readModelText("# a comment\nv 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\n", error));
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_STREQ(m->filepath, "models/test.obj");
    EXPECT_EQ(m->vertexcount, 3u);
    EXPECT_EQ(m->trianglecount, 1u);
    EXPECT_EQ(m->normalcount, 0u);
    EXPECT_EQ(m->normals, nullptr);
    EXPECT_EQ(m->texcoords, nullptr);
    EXPECT_EQ(m->materials, nullptr);
    EXPECT_EQ(m->mtllib, nullptr);
    ASSERT_EQ(m->groupcount, 1u);
    EXPECT_STREQ(m->groups->name, "default");
    ASSERT_EQ(m->groups->trianglecount, 1u);
    EXPECT_EQ(corners(m->triangles[0]), (std::vector<unsigned int>{1, 2, 3}));
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 3)[1], 8.0f);
}

TEST(GlmRead, SplitsAFiveVertexFaceAsAFan) {
    GlmError error;
    ModelHolder m(readModelText(std::string(SQUARE_VERTICES) + "f 1 2 3 4 5\n", error));
    ASSERT_TRUE(m.get()) << error.message;
    ASSERT_EQ(m->trianglecount, 3u);
    EXPECT_EQ(corners(m->triangles[0]), (std::vector<unsigned int>{1, 2, 3}));
    EXPECT_EQ(corners(m->triangles[1]), (std::vector<unsigned int>{1, 3, 4}));
    EXPECT_EQ(corners(m->triangles[2]), (std::vector<unsigned int>{1, 4, 5}));
    EXPECT_EQ(m->groups->trianglecount, 3u);
}

TEST(GlmRead, ReadsTheThreeFaceFormsWithTheirIndices) {
    std::string head = std::string(SQUARE_VERTICES) + "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\nvn 0 0 -1\n"
                                                      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    GlmError error;
    ModelHolder m(readModelText(head + "f 1//4 2//3 3//2 4//1\n" // vertex//normal
                                       "f 2/1/4 3/2/3 4/3/2\n"   // vertex/texcoord/normal
                                       "f 3/4 4/3 5/2\n",        // vertex/texcoord
                                error));
    ASSERT_TRUE(m.get()) << error.message;
    ASSERT_EQ(m->trianglecount, 4u);
    EXPECT_EQ(m->normalcount, 4u);
    EXPECT_EQ(m->texcoordcount, 4u);

    const GlmTriangle& fan = m->triangles[1]; // (1, 3, 4) of the quad, normals copied along
    EXPECT_EQ(corners(fan), (std::vector<unsigned int>{1, 3, 4}));
    EXPECT_EQ(fan.normalindices[0], 4u);
    EXPECT_EQ(fan.normalindices[1], 2u);
    EXPECT_EQ(fan.normalindices[2], 1u);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(fan.texcoordindices[c], 0u) << "vertex//normal writes no texture indices";

    const GlmTriangle& full = m->triangles[2];
    EXPECT_EQ(corners(full), (std::vector<unsigned int>{2, 3, 4}));
    EXPECT_EQ(full.texcoordindices[2], 3u);
    EXPECT_EQ(full.normalindices[2], 2u);

    const GlmTriangle& textured = m->triangles[3];
    EXPECT_EQ(corners(textured), (std::vector<unsigned int>{3, 4, 5}));
    EXPECT_EQ(textured.texcoordindices[0], 4u);
    EXPECT_EQ(textured.normalindices[0], 0u);
    EXPECT_FLOAT_EQ(m->texcoords[2 * 3], 1.0f);
    EXPECT_FLOAT_EQ(m->normals[3 * 4 + 2], -1.0f);
}

TEST(GlmRead, GroupNamesKeepTheirLeadingBlankAndCollectTheirFaces) {
    GlmError error;
    ModelHolder m(readModelText(std::string(SQUARE_VERTICES) +
                                    "f 1 2 3\ng body\nf 1 3 4\ng turret\r\nf 2 3 4\n"
                                    "g body\nf 1 4 5\n",
                                error));
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_EQ(m->groupcount, 3u);
    // Newest first.
    ASSERT_STREQ(m->groups->name, " turret");
    ASSERT_STREQ(m->groups->next->name, " body");
    ASSERT_STREQ(m->groups->next->next->name, "default");
    GlmGroup* body = glmLookupGroup(m.get(), " body");
    ASSERT_EQ(body, m->groups->next);
    ASSERT_EQ(body->trianglecount, 2u);
    EXPECT_EQ(body->triangles[0], 1u);
    EXPECT_EQ(body->triangles[1], 3u);
    EXPECT_EQ(glmLookupGroup(m.get(), "body"), nullptr);
}

TEST(GlmRead, FacesMayContinueOnFollowingLinesAndEndAtTheNextKeyword) {
    GlmError error;
    ModelHolder m(
        readModelText(std::string(SQUARE_VERTICES) + "f 1 2\n3 4\ns off\nf 5 4\n", error));
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_EQ(m->trianglecount, 2u) << "a face of two vertices adds nothing";
}

TEST(GlmRead, UnknownVertexTokenNamesTheTokenOnStandardOutput) {
    GlmError error;
    EXPECT_EQ(readModelText("v 0 0 0\nvp 0.5 0.5\n", error), nullptr);
    EXPECT_EQ(error.message, "glmFirstPass(): Unknown token \"vp\".\n");
    EXPECT_TRUE(error.toStandardOutput);
}

TEST(GlmReadDeathTest, UnknownTokenEndsTheProgramWithStatusOne) {
    ScratchDir dir;
    std::string path = dir.write("bad.obj", "v 0 0 0\nvp 1 2\n");
    EXPECT_EXIT(
        {
            // The message goes to standard output: send it where the death test looks.
            dup2(2, 1);
            glmReadOBJ(path.c_str());
        },
        testing::ExitedWithCode(1), "glmFirstPass\\(\\): Unknown token \"vp\"");
}

TEST(GlmReadDeathTest, MissingFileEndsTheProgramWithStatusOne) {
    EXPECT_EXIT(glmReadOBJ("models/no_such_model.obj"), testing::ExitedWithCode(1),
                "glmReadOBJ\\(\\) failed: can't open data file \"models/no_such_model.obj\"");
}

// Read soundly but with nothing to draw: from disk that is as fatal as a missing file, from
// memory the model is given as it is.
TEST(GlmReadDeathTest, AModelWithoutTrianglesEndsTheProgramWithStatusOne) {
    ScratchDir dir;
    for (const char* text : {"", "# only a comment\n", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"}) {
        std::string path = dir.write("hollow.obj", text);
        EXPECT_EXIT(glmReadOBJ(path.c_str()), testing::ExitedWithCode(1),
                    "glmReadOBJ\\(\\) failed: \".*hollow.obj\" holds no triangles")
            << text;
        GlmError error;
        ModelHolder m(readModelText(text, error));
        EXPECT_NE(m.get(), nullptr) << text;
    }
}

TEST(GlmRead, ReadsFromDiskWithTheLibraryBesideTheModel) {
    ScratchDir dir;
    dir.write("crate.mtl", "newmtl wood\nKd 0.5 0.25 0.125\nNs 500\n");
    std::string path = dir.write(
        "crate.obj", "mtllib crate.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl wood\nf 1 2 3\n");
    ModelHolder m(glmReadOBJ(path.c_str()));
    ASSERT_EQ(m->materialcount, 2u);
    EXPECT_STREQ(m->mtllib, "crate.mtl");
    EXPECT_STREQ(m->materials[1].name, "wood");
    EXPECT_FLOAT_EQ(m->materials[1].diffuse[2], 0.125f);
    EXPECT_FLOAT_EQ(m->materials[1].shininess, 64.0f);
    EXPECT_EQ(m->groups->material, 1u);
}

} // namespace
