#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "assets/glm_internal.h"

namespace {

// Everything both passes share while they walk the text.
struct Reader {
    GlmModel* model;
    GlmText& text;
    const GlmFileSource& source;
    GlmError& error;

    bool fail(const std::string& problem) {
        error.message = glmProblem(model->filepath, text.lineNumber(), problem);
        error.toStandardOutput = false;
        return false;
    }

    // A group name: everything after the token up to the line break, leading blank kept.
    bool readGroupName(std::string& name) {
        std::string_view rest = text.restOfLine();
        if (rest.size() + 1 >= GlmText::BUFFER_SIZE)
            return fail("group name longer than 126 bytes");
        name.assign(rest);
        return true;
    }

    bool readLibraryName(std::string& name) {
        std::string_view rest = text.restOfLine();
        name.assign(glmFirstWord(rest));
        if (rest.size() + 1 >= GlmText::BUFFER_SIZE)
            return fail("material library name longer than 126 bytes");
        if (name.empty())
            return fail("mtllib without a library name");
        return true;
    }
};

bool countVertexToken(Reader& r, std::string_view token, unsigned long counts[3]) {
    if (token.size() == 1)
        ++counts[0];
    else if (token[1] == 'n')
        ++counts[1];
    else if (token[1] == 't')
        ++counts[2];
    else {
        r.error.message = "glmFirstPass(): Unknown token \"" + std::string(token) + "\".\n";
        r.error.toStandardOutput = true;
        return false;
    }
    r.text.skipLine();
    return true;
}

bool readLibrary(Reader& r) {
    std::string name;
    if (!r.readLibraryName(name))
        return false;
    std::free(r.model->mtllib);
    r.model->mtllib = glmCopyString(name);
    if (!r.model->mtllib)
        return r.fail("out of memory");
    return glmReadMTL(r.model, r.model->mtllib, r.source, r.error);
}

bool glmFirstPass(Reader& r) {
    GlmModel* model = r.model;
    GlmGroup* group = glmNewGroup(model, "default");
    if (!group)
        return r.fail("out of memory");
    unsigned long counts[3] = {0, 0, 0}; // vertices, normals, texture coordinates
    unsigned long triangles = 0;
    std::string problem, name;
    std::string_view token;
    while (r.text.nextToken(token)) {
        switch (token[0]) {
        case 'v':
            if (!countVertexToken(r, token, counts))
                return false;
            break;
        case 'm':
            if (!readLibrary(r))
                return false;
            break;
        case 'g':
            if (!r.readGroupName(name))
                return false;
            group = glmNewGroup(model, name.c_str());
            break;
        case 'f':
            if (!glmReadFace(r.text, problem, [&](auto&, auto&, auto&) {
                    ++triangles;
                    ++group->trianglecount;
                }))
                return r.fail(problem);
            break;
        default:
            r.text.skipLine();
            break;
        }
        if (!group)
            return r.fail("out of memory");
    }
    model->vertexcount = static_cast<unsigned int>(counts[0]);
    model->normalcount = static_cast<unsigned int>(counts[1]);
    model->texcoordcount = static_cast<unsigned int>(counts[2]);
    model->trianglecount = static_cast<unsigned int>(triangles);
    return true;
}

// Room for every triangle the first pass counted, and a record of how much room each group
// has so the second pass can never write past it.
bool allocateArrays(Reader& r, std::unordered_map<const GlmGroup*, unsigned int>& room) {
    GlmModel* m = r.model;
    m->vertices = static_cast<float*>(std::calloc(3 * (m->vertexcount + 1ul), sizeof(float)));
    m->triangles = static_cast<GlmTriangle*>(std::calloc(m->trianglecount, sizeof(GlmTriangle)));
    if (m->normalcount)
        m->normals = static_cast<float*>(std::calloc(3 * (m->normalcount + 1ul), sizeof(float)));
    if (m->texcoordcount)
        m->texcoords =
            static_cast<float*>(std::calloc(2 * (m->texcoordcount + 1ul), sizeof(float)));
    bool ok = m->vertices && (m->triangles || !m->trianglecount) &&
              (m->normals || !m->normalcount) && (m->texcoords || !m->texcoordcount);
    for (GlmGroup* g = m->groups; g; g = g->next) {
        g->triangles = static_cast<unsigned int*>(std::calloc(g->trianglecount, sizeof(unsigned)));
        ok = ok && (g->triangles || !g->trianglecount);
        room[g] = g->trianglecount;
        g->trianglecount = 0;
    }
    return ok || r.fail("out of memory");
}

bool checkIndex(long index, unsigned int count, const char* what, std::string& problem) {
    if (index >= 1 && static_cast<unsigned long>(index) <= count)
        return true;
    problem = "face refers to " + std::string(what) + " " + std::to_string(index) + " but " +
              std::to_string(count) + " were read";
    return false;
}

bool checkVertex(const GlmModel* m, const GlmFaceVertex& v, std::string& problem) {
    return checkIndex(v.vertex, m->vertexcount, "vertex", problem) &&
           (!v.hasTexcoord ||
            checkIndex(v.texcoord, m->texcoordcount, "texture coordinate", problem)) &&
           (!v.hasNormal || checkIndex(v.normal, m->normalcount, "normal", problem));
}

bool readNumbers(Reader& r, float* out, int count, const char* what) {
    if (r.text.readFloats(out, count) == count)
        return true;
    return r.fail(std::string(what) + " needs " + std::to_string(count) + " numbers");
}

} // namespace

namespace {

void storeCorner(GlmTriangle& t, int corner, const GlmFaceVertex& v) {
    t.vertexindices[corner] = static_cast<unsigned int>(v.vertex);
    if (v.hasTexcoord)
        t.texcoordindices[corner] = static_cast<unsigned int>(v.texcoord);
    if (v.hasNormal)
        t.normalindices[corner] = static_cast<unsigned int>(v.normal);
}

struct SecondPass {
    Reader& r;
    std::unordered_map<const GlmGroup*, unsigned int>& room;
    GlmGroup* group = nullptr;
    unsigned int material = 0;
    unsigned int counts[3] = {0, 0, 0}; // vertices, normals, texture coordinates stored
    unsigned int triangles = 0;

    bool readVertexData(std::string_view token) {
        GlmModel* m = r.model;
        int kind = token.size() == 1 ? 0 : token[1] == 'n' ? 1 : 2;
        unsigned int limit = kind == 0   ? m->vertexcount
                             : kind == 1 ? m->normalcount
                                         : m->texcoordcount;
        if (counts[kind] >= limit)
            return r.fail("more vertex data than the first pass counted");
        unsigned int index = ++counts[kind];
        if (kind == 0)
            return readNumbers(r, &m->vertices[3 * index], 3, "vertex");
        if (kind == 1)
            return readNumbers(r, &m->normals[3 * index], 3, "normal");
        return readNumbers(r, &m->texcoords[2 * index], 2, "texture coordinate");
    }

    bool addTriangle(const GlmFaceVertex& a, const GlmFaceVertex& b, const GlmFaceVertex& c,
                     std::string& problem) {
        GlmModel* m = r.model;
        if (!checkVertex(m, a, problem) || !checkVertex(m, b, problem) ||
            !checkVertex(m, c, problem))
            return false;
        if (triangles >= m->trianglecount || group->trianglecount >= room[group]) {
            problem = "more triangles than the first pass counted";
            return false;
        }
        GlmTriangle& t = m->triangles[triangles];
        storeCorner(t, 0, a);
        storeCorner(t, 1, b);
        storeCorner(t, 2, c);
        group->triangles[group->trianglecount++] = triangles++;
        return true;
    }

    bool readFace() {
        std::string problem;
        bool ok = true;
        bool read = glmReadFace(r.text, problem, [&](auto& a, auto& b, auto& c) {
            ok = ok && addTriangle(a, b, c, problem);
        });
        return (read && ok) || r.fail(problem);
    }

    bool run() {
        group = glmLookupGroup(r.model, "default");
        std::string name;
        std::string_view token;
        while (r.text.nextToken(token)) {
            bool ok = true;
            switch (token[0]) {
            case 'v':
                ok = readVertexData(token);
                break;
            case 'u':
                name.assign(glmFirstWord(r.text.restOfLine()));
                material = glmFindMaterial(r.model, name.c_str());
                group->material = material;
                break;
            case 'g':
                ok = r.readGroupName(name);
                group = ok ? glmLookupGroup(r.model, name.c_str()) : nullptr;
                if (ok && !group)
                    return r.fail("group missing from the first pass");
                if (group)
                    group->material = material;
                break;
            case 'f':
                ok = readFace();
                break;
            default:
                r.text.skipLine();
                break;
            }
            if (!ok)
                return false;
        }
        return true;
    }
};

} // namespace

bool glmReadPasses(GlmModel* model, GlmText& text, const GlmFileSource& source, GlmError& error) {
    Reader reader{model, text, source, error};
    std::unordered_map<const GlmGroup*, unsigned int> room;
    if (!glmFirstPass(reader) || !allocateArrays(reader, room))
        return false;
    text.rewind();
    return SecondPass{reader, room}.run();
}
