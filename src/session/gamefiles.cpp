#include "session/gamefiles.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "math/text.h"
#include "places/datafolder.h"
#include "places/playerfolders.h"
#include "screens/levelcatalogue.h"
#include "screens/shell.h"

namespace fs = std::filesystem;

namespace {

void anchor(std::string& path, const std::string& workingFolder) {
    if (!path.empty() && path[0] != '/')
        path = (fs::path(workingFolder) / path).lexically_normal().string();
}

// The folder of the running program, from the kernel's own record of it; empty if unknown.
std::string executableFolder() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "";
    buffer[length] = '\0';
    return fs::path(buffer).parent_path().string();
}

} // namespace

void anchorPaths(Options& options, const std::string& workingFolder) {
    anchor(options.scriptPath, workingFolder);
    anchor(options.tracePath, workingFolder);
    anchor(options.dataFolder, workingFolder);
    for (ScreenshotRequest& shot : options.screenshots)
        anchor(shot.path, workingFolder);
}

bool enterDataFolder(const Options& options, const BuildPlaces& build, std::string& message) {
    std::error_code ignored;
    DataSearchInputs inputs;
    inputs.option = options.dataFolder;
    if (const char* environment = std::getenv("QUORL_DATA"))
        inputs.environment = environment;
    inputs.executableFolder = executableFolder();
    inputs.fromExecutable = build.dataFromBinary;
    inputs.installFolder = build.installData;
    inputs.workingFolder = fs::current_path(ignored).string();
    std::vector<DataPlace> places = dataPlaces(inputs);
    std::vector<std::string> passedOver, looked;
    int found = findDataPlace(places, build.version, passedOver, looked);
    for (const std::string& line : passedOver)
        printf("Warning: no game data in %s; looking further\n", printable(line).c_str());
    if (found < 0) {
        message = "Cannot find the game's data (a folder with " + std::string(DATA_MARKER) +
                  " saying " + build.version + "); looked in:";
        for (const std::string& line : looked)
            message += "\n  " + line;
        message += "\nGive the folder with --data DIR or QUORL_DATA.";
        return false;
    }
    const DataPlace& place = places[static_cast<size_t>(found)];
    std::string folder = fs::absolute(place.folder, ignored).lexically_normal().string();
    if (chdir(folder.c_str()) != 0) {
        message = "Cannot enter the game's data folder " + folder;
        return false;
    }
    printf("Data: %s (%s)\n", printable(folder).c_str(), place.source.c_str());
    fflush(stdout);
    return true;
}

void usePlayerFolders(Settings& settings, std::string& settingsPath) {
    PlayerFolders folders = playerFolders();
    levelFolders.shipped = "levels";
    levelFolders.own = folders.levels;
    screenshotFolder = folders.screenshots;
    settingsPath = folders.settingsFile;
    if (settingsPath.empty())
        return;
    std::string warning;
    loadSettings(settingsPath, settings, warning);
    if (!warning.empty()) {
        printf("%s\n", printable(warning, true).c_str());
        fflush(stdout);
    }
}

WindowSettings windowSettings(const Options& options, const Settings& settings) {
    WindowSettings window;
    window.width = options.sizeGiven ? options.width : settings.get("window_width");
    window.height = options.sizeGiven ? options.height : settings.get("window_height");
    window.fullscreen = options.fullscreen || settings.get("fullscreen") != 0;
    std::string multisample = options.multisample;
    window.multisampleSource = "--multisample " + multisample;
    if (multisample.empty()) {
        multisample = settings.valueText(Settings::indexOf("multisample"));
        window.multisampleSource = "settings: " + multisample;
    }
    window.multisample = multisample == "on"    ? Multisample::ON
                         : multisample == "off" ? Multisample::OFF
                                                : Multisample::AUTO;
    return window;
}
