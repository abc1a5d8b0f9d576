#include "screens/levelcatalogue.h"

#include <algorithm>
#include <filesystem>

#include "world/levelfile.h"

LevelFolders levelFolders;

namespace {

// Whether anything at all is at `folder`/`name`: lstat, so a dangling link counts.
bool taken(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return false;
    std::error_code error;
    auto status = std::filesystem::symlink_status(std::filesystem::path(folder) / name, error);
    // A folder that cannot be looked into takes no name: the save there fails and says why.
    return std::filesystem::exists(status);
}

} // namespace

std::vector<LevelEntry> listLevels(const LevelFolders& folders) {
    std::vector<std::string> shipped, own;
    listFiles(folders.shipped, shipped);
    if (!folders.own.empty() && folders.own != folders.shipped)
        listFiles(folders.own, own);
    std::vector<LevelEntry> levels;
    for (const std::string& name : shipped)
        levels.push_back({name, folders.shipped + "/" + name, false});
    for (const std::string& name : own) {
        bool hidden = std::binary_search(shipped.begin(), shipped.end(), name, naturalLess);
        levels.push_back({hidden ? name + OWN_MARK : name, folders.own + "/" + name, true});
    }
    std::stable_sort(levels.begin(), levels.end(), [](const LevelEntry& a, const LevelEntry& b) {
        return naturalLess(a.name, b.name);
    });
    return levels;
}

std::string nextLevelName(const LevelFolders& folders) {
    // Each name taken is an entry of one of two finite folders: the loop ends.
    for (size_t n = 1;; ++n) {
        std::string candidate = "Level " + std::to_string(n);
        if (!taken(folders.shipped, candidate) && !taken(folders.own, candidate))
            return candidate;
    }
}
