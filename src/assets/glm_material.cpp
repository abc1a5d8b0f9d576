#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/glm_internal.h"

namespace {

void setDefaults(GlmMaterial& material) {
    const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    material.name = nullptr;
    std::memcpy(material.diffuse, diffuse, sizeof diffuse);
    std::memcpy(material.ambient, ambient, sizeof ambient);
    std::memcpy(material.specular, specular, sizeof specular);
    std::memset(material.emissive, 0, sizeof material.emissive);
    material.shininess = 65.0f;
}

void freeMaterials(GlmModel* model) {
    for (unsigned int i = 0; i < model->materialcount; ++i)
        std::free(model->materials[i].name);
    std::free(model->materials);
    model->materials = nullptr;
    model->materialcount = 0;
}

unsigned int countMaterials(GlmText& text) {
    unsigned int count = 1;
    std::string_view token;
    while (text.nextToken(token)) {
        if (token[0] == 'n')
            ++count;
        text.skipLine();
    }
    return count;
}

// Reads one "Ka", "Kd" or "Ks" colour; the fourth component keeps its 1.0.
bool readColour(GlmText& text, float* colour, std::string& problem) {
    if (text.readFloats(colour, 3) == 3)
        return true;
    problem = "colour needs three numbers";
    return false;
}

bool parseMaterials(GlmModel* model, GlmText& text, std::string& problem) {
    unsigned int current = 0;
    std::string_view token;
    while (text.nextToken(token)) {
        GlmMaterial& material = model->materials[current];
        if (token[0] == 'n') {
            std::string_view rest = text.restOfLine();
            std::string_view name = glmFirstWord(rest);
            if (rest.size() + 1 >= GlmText::BUFFER_SIZE || name.empty()) {
                problem = name.empty() ? "material without a name" : "material name too long";
                return false;
            }
            if (++current >= model->materialcount) {
                problem = "more materials than counted";
                return false;
            }
            model->materials[current].name = glmCopyString(name);
            if (!model->materials[current].name) {
                problem = "out of memory";
                return false;
            }
        } else if (token[0] == 'K' && token.size() > 1 &&
                   (token[1] == 'a' || token[1] == 'd' || token[1] == 's')) {
            float* colour = token[1] == 'a'   ? material.ambient
                            : token[1] == 'd' ? material.diffuse
                                              : material.specular;
            if (!readColour(text, colour, problem))
                return false;
        } else if (token[0] == 'N' && token.size() > 1 && token[1] == 's') {
            // Only Ns is the specular exponent; Ni (optical density) says nothing about it.
            float exponent = 0.0f;
            if (text.readFloats(&exponent, 1) != 1) {
                problem = "Ns needs a number";
                return false;
            }
            // MTL exponents run 0..1000, OpenGL's 0..128.
            material.shininess = exponent / 1000.0f * 128.0f;
        } else {
            text.skipLine();
        }
    }
    return true;
}

} // namespace

bool glmReadMTL(GlmModel* model, const char* name, const GlmFileSource& source, GlmError& error) {
    char* directory = glmDirectoryOf(model->filepath);
    std::string path = std::string(directory ? directory : "") + name;
    std::free(directory);

    std::string contents;
    if (!source(path, contents)) {
        error.message = "glmReadMTL() failed: can't open material file \"" + path + "\".\n";
        return false;
    }
    GlmText text(contents.data(), contents.size());
    unsigned int count = countMaterials(text);

    freeMaterials(model);
    model->materials = static_cast<GlmMaterial*>(std::calloc(count, sizeof(GlmMaterial)));
    if (!model->materials) {
        error.message = "glmReadMTL() failed: out of memory reading \"" + path + "\".\n";
        return false;
    }
    model->materialcount = count;
    for (unsigned int i = 0; i < count; ++i)
        setDefaults(model->materials[i]);
    model->materials[0].name = glmCopyString("default");

    text.rewind();
    std::string problem;
    if (!model->materials[0].name)
        problem = "out of memory";
    else if (parseMaterials(model, text, problem))
        return true;
    error.message = "glmReadMTL() failed: \"" + path + "\" line " +
                    std::to_string(text.lineNumber()) + ": " + problem + ".\n";
    return false;
}

unsigned int glmFindMaterial(GlmModel* model, const char* name) {
    for (unsigned int i = 0; i < model->materialcount; ++i)
        if (model->materials[i].name && std::strcmp(model->materials[i].name, name) == 0)
            return i;
    std::printf("glmFindMaterial():  can't find material \"%s\".\n", name);
    return 0;
}
