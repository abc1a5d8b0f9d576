#include "places/playerfolders.h"

#include <cstdlib>

namespace {

// An absolute folder from `variable`, else `fallback` under HOME; empty when neither is set.
std::string baseFolder(const std::function<const char*(const char*)>& lookup, const char* variable,
                       const char* fallback) {
    const char* value = lookup(variable);
    if (value && value[0] == '/')
        return value;
    const char* home = lookup("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/" + fallback;
    return "";
}

} // namespace

PlayerFolders playerFolders(const std::function<const char*(const char*)>& lookup) {
    PlayerFolders folders;
    std::string data = baseFolder(lookup, "XDG_DATA_HOME", ".local/share");
    std::string config = baseFolder(lookup, "XDG_CONFIG_HOME", ".config");
    if (!data.empty()) {
        folders.levels = data + "/quorl/levels";
        folders.screenshots = data + "/quorl/screenshots";
    }
    const char* pictures = lookup("XDG_PICTURES_DIR");
    if (pictures && pictures[0] == '/')
        folders.screenshots = pictures;
    if (!config.empty())
        folders.settingsFile = config + "/quorl/settings";
    return folders;
}

PlayerFolders playerFolders() {
    return playerFolders([](const char* name) -> const char* { return std::getenv(name); });
}
