#include <gtest/gtest.h>

#include "assetfixtures.h"

namespace {

const std::string TRIANGLE = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

TEST(GlmMaterial, ReadsColoursAndScalesTheExponentToOpenGL) {
    GlmError error;
    ModelHolder m(readModelText("mtllib paint.mtl\n" + TRIANGLE, error,
                                {{"models/paint.mtl", "# paint\nnewmtl red\nKa 0.1 0 0\n"
                                                      "Kd 0.9 0.1 0.05\nKs 1 1 1\nNs 500\n"
                                                      "newmtl plain\n"}}));
    ASSERT_TRUE(m.get()) << error.message;
    ASSERT_EQ(m->materialcount, 3u);
    const GlmMaterial& def = m->materials[0];
    EXPECT_STREQ(def.name, "default");
    EXPECT_FLOAT_EQ(def.diffuse[0], 0.8f);
    EXPECT_FLOAT_EQ(def.ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(def.shininess, 65.0f);

    const GlmMaterial& red = m->materials[1];
    EXPECT_STREQ(red.name, "red");
    EXPECT_FLOAT_EQ(red.ambient[0], 0.1f);
    EXPECT_FLOAT_EQ(red.diffuse[1], 0.1f);
    EXPECT_FLOAT_EQ(red.diffuse[3], 1.0f);
    EXPECT_FLOAT_EQ(red.specular[2], 1.0f);
    EXPECT_FLOAT_EQ(red.shininess, 64.0f);

    const GlmMaterial& plain = m->materials[2];
    EXPECT_STREQ(plain.name, "plain");
    EXPECT_FLOAT_EQ(plain.diffuse[2], 0.8f);
    EXPECT_FLOAT_EQ(plain.shininess, 65.0f);
}

TEST(GlmMaterial, OpticalDensityLeavesTheShininessAlone) {
    GlmError error;
    ModelHolder m(readModelText("mtllib glass.mtl\n" + TRIANGLE, error,
                                {{"models/glass.mtl", "newmtl glass\nNs 250\nNi 1.45\n"}}));
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_FLOAT_EQ(m->materials[1].shininess, 32.0f);
}

TEST(GlmMaterial, GroupsTakeTheMaterialInForceAndUnknownNamesFallBackToDefault) {
    GlmError error;
    testing::internal::CaptureStdout();
    ModelHolder m(readModelText("mtllib two.mtl\n" + TRIANGLE +
                                    "usemtl blue\nf 1 2 3\ng lid\nf 1 2 3\n"
                                    "g base\nusemtl purple\nf 3 2 1\n",
                                error, {{"models/two.mtl", "newmtl green\nnewmtl blue\n"}}));
    std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_EQ(glmLookupGroup(m.get(), "default")->material, 2u);
    EXPECT_EQ(glmLookupGroup(m.get(), " lid")->material, 2u) << "a new group keeps the material";
    EXPECT_EQ(glmLookupGroup(m.get(), " base")->material, 0u);
    EXPECT_EQ(printed, "glmFindMaterial():  can't find material \"purple\".\n");
}

TEST(GlmMaterial, MissingLibraryIsReportedWithItsPath) {
    GlmError error;
    EXPECT_EQ(readModelText("mtllib gone.mtl\n" + TRIANGLE, error), nullptr);
    EXPECT_EQ(error.message,
              "glmReadMTL() failed: can't open material file \"models/gone.mtl\".\n");
    EXPECT_FALSE(error.toStandardOutput);
}

TEST(GlmMaterial, DirectoryOfAPathKeepsItsSlash) {
    for (auto [path, directory] : std::vector<std::pair<const char*, const char*>>{
             {"models/tank_01.obj", "models/"}, {"a/b/c.obj", "a/b/"}, {"plain.obj", ""}}) {
        char* d = glmDirectoryOf(path);
        EXPECT_STREQ(d, directory);
        std::free(d);
    }
}

} // namespace
