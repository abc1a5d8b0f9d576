#include <cassert>
#include <cstdlib>
#include <cstring>

#include "assets/glm_internal.h"

std::string glmProblem(const char* path, int line, const std::string& problem) {
    return "glmReadOBJ() failed: \"" + std::string(path) + "\" line " + std::to_string(line) +
           ": " + problem + ".\n";
}

char* glmCopyString(std::string_view text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) {
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

char* glmDirectoryOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    std::size_t length = slash ? static_cast<std::size_t>(slash - path) + 1 : 0;
    return glmCopyString(std::string_view(path, length));
}

void glmFreeModel(GlmModel* model) {
    assert(model);
    std::free(model->filepath);
    std::free(model->mtllib);
    std::free(model->vertices);
    std::free(model->normals);
    std::free(model->texcoords);
    std::free(model->facetnorms);
    std::free(model->triangles);
    for (unsigned int i = 0; i < model->materialcount; ++i)
        std::free(model->materials[i].name);
    std::free(model->materials);
    GlmGroup* group = model->groups;
    while (group) {
        GlmGroup* next = group->next;
        std::free(group->name);
        std::free(group->triangles);
        std::free(group);
        group = next;
    }
    std::free(model);
}
