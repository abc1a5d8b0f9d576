#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "assets/glm.h"

// A temporary directory for files a test writes; removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/quorl-assets-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
    }
    ~ScratchDir() {
        if (!path.empty())
            std::system(("rm -rf '" + path + "'").c_str());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }

    std::string write(const std::string& name, const std::string& contents) const {
        std::ofstream(file(name), std::ios::binary) << contents;
        return file(name);
    }
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }

    std::string path;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Reads OBJ text from memory; `libraries` are the material files it may name.
inline GlmModel* readModelText(const std::string& obj, GlmError& error,
                               const std::map<std::string, std::string>& libraries = {}) {
    GlmFileSource source = [&](const std::string& path, std::string& contents) {
        auto found = libraries.find(path);
        if (found == libraries.end())
            return false;
        contents = found->second;
        return true;
    };
    return glmReadOBJMemory("models/test.obj", obj.data(), obj.size(), source, error);
}

// Owns a model for the length of a test.
struct ModelHolder {
    GlmModel* model;
    explicit ModelHolder(GlmModel* m) : model(m) {}
    ~ModelHolder() {
        if (model)
            glmFreeModel(model);
    }
    ModelHolder(const ModelHolder&) = delete;
    ModelHolder& operator=(const ModelHolder&) = delete;
    GlmModel* operator->() const { return model; }
    GlmModel* get() const { return model; }
};

inline const float* vertexOf(const GlmModel* m, unsigned int index) {
    return &m->vertices[3 * index];
}
