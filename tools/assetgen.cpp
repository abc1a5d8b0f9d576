#include "assetgen.h"

#include "appicon.h"
#include "icons.h"
#include "models.h"
#include "pngencoder.h"
#include "sgiwriter.h"

namespace {

struct MaterialRecipe {
    const char* name;
    double r, g, b;
    double shininess; // MTL exponent, 0..1000
};

std::string mtlText(const std::string& comment, const std::vector<MaterialRecipe>& materials) {
    std::string out = "# " + comment + "\n";
    for (const MaterialRecipe& m : materials) {
        auto colour = [&](double k) {
            return formatNumber(m.r * k) + " " + formatNumber(m.g * k) + " " +
                   formatNumber(m.b * k);
        };
        out += "\nnewmtl " + std::string(m.name) + "\n";
        out += "Ka " + colour(0.25) + "\n";
        out += "Kd " + colour(1.0) + "\n";
        out += "Ks 0.300000 0.300000 0.300000\n";
        out += "Ns " + formatNumber(m.shininess) + "\n";
    }
    return out;
}

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    if (writeFileBytes(path, std::vector<unsigned char>(text.begin(), text.end())))
        return true;
    error = "cannot write " + path;
    return false;
}

struct ModelRecipe {
    const char* stem;
    const char* comment;
    Mesh (*build)();
    std::vector<MaterialRecipe> materials;
};

std::vector<ModelRecipe> modelRecipes() {
    return {
        {"tank_01",
         "Quorl tank: up +Z, forward +Y, 2 units wide",
         buildTankModel,
         {{"body", 0.35, 0.4, 0.22, 200},
          {"track", 0.12, 0.12, 0.12, 50},
          {"steel", 0.45, 0.45, 0.48, 400},
          {"gun", 0.3, 0.32, 0.28, 500}}},
        {"test_01",
         "Quorl obstacle: rocky outcrop, up +Z",
         buildObstacleModel,
         {{"stone", 0.5, 0.48, 0.45, 20}, {"moss", 0.36, 0.42, 0.3, 10}}},
        {"zentrovix",
         "Quorl title: QUORL, letters facing +Z",
         buildTitleModel,
         {{"title", 0.75, 0.72, 0.6, 600}}},
    };
}

} // namespace

std::vector<std::string> generatedAssetFiles() {
    std::vector<std::string> files;
    for (const ModelRecipe& recipe : modelRecipes()) {
        files.push_back("models/" + std::string(recipe.stem) + ".obj");
        files.push_back("models/" + std::string(recipe.stem) + ".mtl");
    }
    for (const Icon& icon : buildIcons())
        files.push_back("textures/" + icon.file);
    for (int size : appIconSizes())
        files.push_back("icons/quorl-" + std::to_string(size) + ".png");
    return files;
}

bool generateAssets(const std::string& dataDirectory, std::string& error) {
    for (const ModelRecipe& recipe : modelRecipes()) {
        std::string base = dataDirectory + "/models/" + recipe.stem;
        std::string library = std::string(recipe.stem) + ".mtl";
        if (!writeText(base + ".obj", recipe.build().objText(recipe.comment, library), error) ||
            !writeText(base + ".mtl", mtlText(recipe.comment, recipe.materials), error))
            return false;
    }
    for (const Icon& icon : buildIcons()) {
        std::string path = dataDirectory + "/textures/" + icon.file;
        if (!writeFileBytes(path, encodeSgiImage(icon.size, icon.size, 4, icon.rgba, true))) {
            error = "cannot write " + path;
            return false;
        }
    }
    for (int size : appIconSizes()) {
        std::string path = dataDirectory + "/icons/quorl-" + std::to_string(size) + ".png";
        std::vector<unsigned char> png = encodePng(size, drawAppIcon(size));
        if (png.empty() || !writeFileBytes(path, png)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}
