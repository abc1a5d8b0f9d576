#pragma once

#include <string>
#include <string_view>

#include "assets/glm.h"
#include "assets/glm_text.h"

// Pieces of the model reader shared by its source files; not for use outside src/assets.

// "glmReadOBJ() failed: "<path>" line <n>: <problem>.\n": the message for a model that cannot
// be read soundly, naming the file, where and what.
std::string glmProblem(const char* path, int line, const std::string& problem);

// The two passes over the model text: the first counts and reads the material library, the
// second fills the arrays. False with `error` set when the text cannot be read soundly; the
// model is then partly filled and only fit for glmFreeModel.
bool glmReadPasses(GlmModel* model, GlmText& text, const GlmFileSource& source, GlmError& error);

// A copy of `text` as a malloc'd C string (null when memory runs out).
char* glmCopyString(std::string_view text);

// Reads the material library `name` (relative to the model's directory) into the model's
// materials, replacing any read before. False with `error` set when it cannot be read.
bool glmReadMTL(GlmModel* model, const char* name, const GlmFileSource& source, GlmError& error);

// One vertex of a face as written in the file; texcoord and normal are 0 when the face's form
// has no such field.
struct GlmFaceVertex {
    long vertex;
    long texcoord;
    long normal;
    bool hasTexcoord;
    bool hasNormal;
};

enum class GlmFaceForm { VERTEX, VERTEX_TEXCOORD, VERTEX_TEXCOORD_NORMAL, VERTEX_NORMAL };

// Reads the vertices of the face whose "f" token was just read, stopping before the first
// token that does not start a number. Calls `emit(first, previous, current)` once per
// triangle of the fan. False with `problem` set when a vertex is malformed.
template <typename Emit> bool glmReadFace(GlmText& text, std::string& problem, Emit emit);

// Parses one face vertex in the given form; false unless the whole token matches it.
bool glmParseFaceVertex(std::string_view token, GlmFaceForm form, GlmFaceVertex& vertex);
// The form the first vertex of a face is written in; false when it is none of them.
bool glmDetectFaceForm(std::string_view token, GlmFaceForm& form);

template <typename Emit> bool glmReadFace(GlmText& text, std::string& problem, Emit emit) {
    std::string_view token;
    GlmFaceForm form = GlmFaceForm::VERTEX;
    GlmFaceVertex first{}, previous{}, current{};
    int count = 0;
    while (text.peekToken(token)) {
        char c = token[0];
        if (!(c == '-' || c == '+' || (c >= '0' && c <= '9')))
            break;
        text.nextToken(token);
        if (token.size() >= GlmText::BUFFER_SIZE) {
            problem = "face vertex token longer than 127 bytes";
            return false;
        }
        if (count == 0 && !glmDetectFaceForm(token, form)) {
            problem = "malformed face vertex \"" + std::string(token) + "\"";
            return false;
        }
        if (!glmParseFaceVertex(token, form, current)) {
            GlmFaceForm other;
            problem = "face vertex \"" + std::string(token) +
                      (glmDetectFaceForm(token, other)
                           ? "\" is not written like the first vertex of its face"
                           : "\" is malformed");
            return false;
        }
        if (count == 0)
            first = current;
        else if (count >= 2)
            emit(first, previous, current);
        previous = current;
        ++count;
    }
    return true;
}
