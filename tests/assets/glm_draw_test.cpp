#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "assetfixtures.h"
#include "support/glwindow.h"

namespace {

// A triangle over the middle of the view, in a group painted with the library's red.
GlmModel* redTriangle() {
    GlmError error;
    GlmModel* model = readModelText("mtllib red.mtl\nv -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0 0.5 0\n"
                                    "usemtl red\nf 1 2 3\n",
                                    error, {{"models/red.mtl", "newmtl red\nKd 1 0 0\n"}});
    EXPECT_TRUE(model) << error.message;
    return model;
}

TEST(GlmDrawMode, DropsWhatTheModelCannotServeWithAWarningEach) {
    GlmError error;
    ModelHolder bare(readModelText("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", error));
    testing::internal::CaptureStdout();
    EXPECT_EQ(glmDrawMode(bare.get(), GLM_FLAT | GLM_SMOOTH | GLM_TEXTURE | GLM_COLOR), GLM_NONE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "glmDraw() warning: flat render mode requested with no facet normals defined.\n"
              "glmDraw() warning: smooth render mode requested with no normals defined.\n"
              "glmDraw() warning: texture render mode requested with no texture coordinates "
              "defined.\n"
              "glmDraw() warning: color render mode requested with no materials defined.\n");

    ModelHolder red(redTriangle());
    glmFaceNormals(red.get());
    glmVertexNormals(red.get(), 15.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(glmDrawMode(red.get(), GLM_FLAT | GLM_SMOOTH | GLM_COLOR | GLM_MATERIAL),
              GLM_SMOOTH | GLM_MATERIAL);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "glmDraw() warning: flat render mode requested and smooth render mode requested "
              "(using smooth).\n"
              "glmDraw() warning: color and material render mode requested using only material "
              "mode.\n");
}

// Draws the red triangle and checks the middle pixel; leaves by _exit with 0 when it is red.
// Runs in a child process: the GL driver keeps allocations until exit that the leak checker of
// a sanitizer build would otherwise blame on the test.
void drawRedTriangleAndExit() {
    GlTestWindow window;
    if (!window.ok()) {
        std::fprintf(stderr, "no window: %s\n", window.error().c_str());
        _exit(2);
    }
    window.resetState();
    ModelHolder m(redTriangle());
    glmDraw(m.get(), GLM_COLOR);
    GlTestWindow::Pixel centre = window.pixel(GlTestWindow::WIDTH / 2, GlTestWindow::HEIGHT / 2);
    GlTestWindow::Pixel corner = window.pixel(5, 5);
    std::string errors = window.glErrors();
    std::fprintf(stderr, "centre %d %d %d, corner %d, errors \"%s\"\n", centre.r, centre.g,
                 centre.b, corner.r, errors.c_str());
    std::fflush(stderr);
    bool ok = centre.r == 255 && centre.g == 0 && centre.b == 0 && corner.r == 0 && errors.empty();
    _exit(ok ? 0 : 1);
}

TEST(GlmDrawDeathTest, ColourModeDrawsTheGroupsInTheirMaterialColour) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    EXPECT_EXIT(drawRedTriangleAndExit(), testing::ExitedWithCode(0), "centre 255 0 0, corner 0");
}

} // namespace
