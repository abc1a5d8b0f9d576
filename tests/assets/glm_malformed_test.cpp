#include <gtest/gtest.h>

#include "assetfixtures.h"

namespace {

const std::string QUAD = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n";

struct Malformed {
    const char* what;
    std::string text;
    const char* problem; // expected in the message
};

// Each of these would read or write outside the model's arrays if trusted.
TEST(GlmMalformed, UnsoundFilesEndWithAMessageNamingFileLineAndProblem) {
    const std::vector<Malformed> cases = {
        {"index past the vertices", QUAD + "f 1 2 5\n", "line 7: face refers to vertex 5 but 4"},
        {"index zero", QUAD + "f 0 1 2\n", "face refers to vertex 0"},
        {"negative index", QUAD + "f -1 -2 -3\n", "face refers to vertex -1"},
        {"texture index past the end", QUAD + "f 1/2 2/1 3/1\n",
         "face refers to texture coordinate 2 but 1"},
        {"normal index past the end", QUAD + "f 1//1 2//1 3//9\n", "face refers to normal 9"},
        {"normal index in a file without normals", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1//1 2//1 3//1\n",
         "face refers to normal 1 but 0"},
        {"index too big for an int", QUAD + "f 1 2 99999999999999999999\n",
         "\"99999999999999999999\" is malformed"},
        {"overlong vertex token", QUAD + "f 1 2 3" + std::string(200, '0') + "\n",
         "face vertex token longer than 127 bytes"},
        {"mixed face forms", QUAD + "f 1/1 2 3\n", "is not written like the first vertex"},
        {"junk after an index", QUAD + "f 1 2x 3\n", "\"2x\" is malformed"},
        {"malformed first vertex", QUAD + "f 1/ 2/ 3/\n", "malformed face vertex \"1/\""},
        {"vertex with two numbers", "v 1 2\nv 0 0 0\nv 1 1 1\nf 1 2 3\n",
         "line 1: vertex needs 3 numbers"},
        {"vertex with text", "v 1 two 3\n", "vertex needs 3 numbers"},
        {"vertex not a finite number", "v 1 nan 3\n", "vertex needs 3 numbers"},
        {"texture coordinate with one number", "vt 0.5\n", "texture coordinate needs 2"},
        {"overlong group name", QUAD + "g " + std::string(130, 'x') + "\nf 1 2 3\n",
         "group name longer than 126 bytes"},
        {"library without a name", "mtllib   \n" + QUAD, "mtllib without a library name"},
    };
    for (const Malformed& c : cases) {
        GlmError error;
        GlmModel* model = readModelText(c.text, error);
        EXPECT_EQ(model, nullptr) << c.what;
        if (model)
            glmFreeModel(model);
        EXPECT_NE(error.message.find("\"models/test.obj\""), std::string::npos)
            << c.what << ": " << error.message;
        EXPECT_NE(error.message.find(c.problem), std::string::npos)
            << c.what << ": " << error.message;
        EXPECT_FALSE(error.toStandardOutput) << c.what;
    }
}

TEST(GlmMalformed, UnsoundMaterialLibrariesNameTheLibrary) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"newmtl\n", "line 1: material without a name"},
        {"newmtl a\nKd 0.5 0.5\n", "line 2: colour needs three numbers"},
        {"newmtl a\nNs lots\n", "Ns needs a number"},
        {"newmtl " + std::string(140, 'm') + "\n", "material name too long"},
    };
    for (const auto& [library, problem] : cases) {
        GlmError error;
        EXPECT_EQ(readModelText("mtllib m.mtl\n" + QUAD, error, {{"models/m.mtl", library}}),
                  nullptr);
        EXPECT_NE(error.message.find("glmReadMTL() failed: \"models/m.mtl\""), std::string::npos)
            << error.message;
        EXPECT_NE(error.message.find(problem), std::string::npos) << error.message;
    }
}

// What the reader must survive without complaint: comments and lines of any length, files
// without a final line break, Windows line ends, forward references to later vertices.
TEST(GlmMalformed, TolerableOddities) {
    std::string text = "#" + std::string(300, '-') + "\r\n" + "o " + std::string(500, 'n') +
                       "\r\nf 1 2 3\r\nv 0 0 0\r\nv 1 0 0\r\nv 0 1 0";
    GlmError error;
    ModelHolder m(readModelText(text, error));
    ASSERT_TRUE(m.get()) << error.message;
    EXPECT_EQ(m->trianglecount, 1u);
    EXPECT_FLOAT_EQ(vertexOf(m.get(), 3)[1], 1.0f);
}

TEST(GlmMalformedDeathTest, UnreadableModelEndsTheProgramWithStatusOne) {
    ScratchDir dir;
    std::string path = dir.write("broken.obj", QUAD + "f 1 2 7\n");
    EXPECT_EXIT(glmReadOBJ(path.c_str()), testing::ExitedWithCode(1),
                "glmReadOBJ\\(\\) failed: .*broken.obj\" line 7: face refers to vertex 7");
}

} // namespace
