#include <cstdio>
#include <cstdlib>

#include "assets/glm_internal.h"

namespace {

bool readFile(const std::string& path, std::string& contents) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    contents.clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        contents.append(buffer, n);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace

GlmModel* glmReadOBJMemory(const char* path, const char* data, std::size_t size,
                           const GlmFileSource& source, GlmError& error) {
    GlmModel* model = static_cast<GlmModel*>(std::calloc(1, sizeof(GlmModel)));
    if (!model || !(model->filepath = glmCopyString(path))) {
        std::free(model);
        error.message =
            "glmReadOBJ() failed: out of memory reading \"" + std::string(path) + "\".\n";
        return nullptr;
    }
    GlmText text(data, size);
    if (!glmReadPasses(model, text, source, error)) {
        glmFreeModel(model);
        return nullptr;
    }
    return model;
}

GlmModel* glmReadOBJCore(const char* path, GlmError& error) {
    std::string contents;
    if (!readFile(path, contents)) {
        error.message =
            "glmReadOBJ() failed: can't open data file \"" + std::string(path) + "\".\n";
        error.toStandardOutput = false;
        return nullptr;
    }
    GlmModel* model = glmReadOBJMemory(path, contents.data(), contents.size(), readFile, error);
    // Read soundly, yet nothing to draw or to collide with: an empty or cut-off file would give
    // invisible tanks, and a mesh of no extent scales to infinities.
    if (model && model->trianglecount == 0) {
        glmFreeModel(model);
        error.message = "glmReadOBJ() failed: \"" + std::string(path) + "\" holds no triangles.\n";
        error.toStandardOutput = false;
        return nullptr;
    }
    return model;
}

GlmModel* glmReadOBJ(const char* path) {
    GlmError error;
    GlmModel* model = glmReadOBJCore(path, error);
    if (!model) {
        std::FILE* stream = error.toStandardOutput ? stdout : stderr;
        std::fputs(error.message.c_str(), stream);
        std::fflush(stream);
        std::exit(1);
    }
    return model;
}
