#include "sounds.h"
#include "wavwriter.h"

namespace {

std::vector<SoundRecipe> allRecipes() {
    std::vector<SoundRecipe> all = effectRecipes();
    for (const SoundRecipe& r : musicRecipes())
        all.push_back(r);
    return all;
}

} // namespace

std::vector<std::string> generatedSoundFiles() {
    std::vector<std::string> files;
    for (const SoundRecipe& r : allRecipes())
        files.push_back(std::string("sounds/") + r.file);
    return files;
}

bool generateSounds(const std::string& dataDirectory, std::string& error) {
    for (const SoundRecipe& r : allRecipes()) {
        std::string path = dataDirectory + "/sounds/" + r.file;
        if (!writeWav(path, r.make(), SOUND_RATE, 1)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}
