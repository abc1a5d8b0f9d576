#include <charconv>

#include "assets/glm_internal.h"

namespace {

// Reads an integer at the front of `text`, removing it; false when there is none or it does
// not fit a long.
bool takeInteger(std::string_view& text, long& value) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits[0] < '0' || digits[0] > '9')
        return false;
    unsigned long magnitude = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc() || magnitude > 2147483647ul)
        return false;
    value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    return true;
}

bool takeLiteral(std::string_view& text, std::string_view literal) {
    if (text.substr(0, literal.size()) != literal)
        return false;
    text.remove_prefix(literal.size());
    return true;
}

} // namespace

bool glmParseFaceVertex(std::string_view token, GlmFaceForm form, GlmFaceVertex& vertex) {
    vertex = GlmFaceVertex{0, 0, 0, false, false};
    vertex.hasTexcoord =
        form == GlmFaceForm::VERTEX_TEXCOORD || form == GlmFaceForm::VERTEX_TEXCOORD_NORMAL;
    vertex.hasNormal =
        form == GlmFaceForm::VERTEX_TEXCOORD_NORMAL || form == GlmFaceForm::VERTEX_NORMAL;
    bool ok = takeInteger(token, vertex.vertex);
    switch (form) {
    case GlmFaceForm::VERTEX:
        break;
    case GlmFaceForm::VERTEX_TEXCOORD:
        ok = ok && takeLiteral(token, "/") && takeInteger(token, vertex.texcoord);
        break;
    case GlmFaceForm::VERTEX_TEXCOORD_NORMAL:
        ok = ok && takeLiteral(token, "/") && takeInteger(token, vertex.texcoord) &&
             takeLiteral(token, "/") && takeInteger(token, vertex.normal);
        break;
    case GlmFaceForm::VERTEX_NORMAL:
        ok = ok && takeLiteral(token, "//") && takeInteger(token, vertex.normal);
        break;
    }
    return ok && token.empty();
}

bool glmDetectFaceForm(std::string_view token, GlmFaceForm& form) {
    static const GlmFaceForm order[] = {GlmFaceForm::VERTEX_TEXCOORD_NORMAL,
                                        GlmFaceForm::VERTEX_TEXCOORD, GlmFaceForm::VERTEX};
    GlmFaceVertex vertex;
    if (token.find("//") != std::string_view::npos) {
        form = GlmFaceForm::VERTEX_NORMAL;
        return glmParseFaceVertex(token, form, vertex);
    }
    for (GlmFaceForm candidate : order)
        if (glmParseFaceVertex(token, candidate, vertex)) {
            form = candidate;
            return true;
        }
    return false;
}
