#include <cstdio>
#include <filesystem>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "input/joystickmanager.h"
#include "math/randomsource.h"
#include "math/text.h"
#include "platform/frameclock.h"
#include "screens/gamescreen.h"
#include "screens/levelcatalogue.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpadsink.h"
#include "session/gamefiles.h"
#include "session/options.h"
#include "session/playsession.h"
#include "session/script.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int NO_DATA = 1;       // exit status
constexpr int BAD_ARGUMENTS = 2; // exit status

int refuse(const std::string& message) {
    printf("%s\n\n%s", printable(message, true).c_str(), usageText());
    return BAD_ARGUMENTS;
}

// What the options ask for that the command line alone cannot check: the script's lines and
// its pads. False with `error` saying which.
bool checkScript(const Options& options, std::vector<ScriptEvent>& events, std::string& error) {
    if (!options.scriptPath.empty() && !loadScript(options.scriptPath, events, error))
        return false;
    for (const ScriptEvent& event : events) {
        bool padEvent = event.kind == ScriptEvent::Kind::PAD_CONTROL ||
                        event.kind == ScriptEvent::Kind::PAD_UNPLUG ||
                        event.kind == ScriptEvent::Kind::PAD_PLUG;
        if (padEvent && event.pad >= options.pads) {
            error = options.scriptPath + ": line " + std::to_string(event.line) + ": pad " +
                    std::to_string(event.pad) + " is not attached (--pads " +
                    std::to_string(options.pads) + ")";
            return false;
        }
    }
    return true;
}

// The level --level names, among the shipped ones and the player's. False with `error` saying
// where it looked.
bool checkLevel(const Options& options, std::string& error) {
    if (options.level.empty())
        return true;
    for (const LevelEntry& level : listLevels(levelFolders)) {
        if (level.name != options.level)
            continue;
        // A file that is there but is no level would leave the run on the menu, as if all were
        // well.
        std::string text;
        if (!readLevelText(level.path, text)) {
            error = "--level: the level file " + level.path + " cannot be read";
            return false;
        }
        std::istringstream in(text);
        in.imbue(std::locale::classic());
        if (!std::unique_ptr<World>(readLevel(in, level.path))) {
            error = "--level: " + level.path + " is not a level this game can load";
            return false;
        }
        return true;
    }
    error = "--level: there is no level \"" + options.level + "\" among the game's (" +
            levelFolders.shipped + ") or yours (" + levelFolders.own + ")";
    return false;
}

// Everything the screens hold, released before the program ends: a clean run leaves nothing
// behind for a leak checker to find.
void releaseScreens() {
    GameScreen::instance()->endGame();
    LevelEditor::instance()->release();
    WelcomeScreen::instance()->release();
    JoystickManager::release();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
        return refuse(error);
    if (options.help) {
        printf("%s", usageText());
        return 0;
    }
    if (options.version) {
        printf("Quorl %s\n", QUORL_VERSION);
        return 0;
    }
    std::error_code ignored;
    anchorPaths(options, std::filesystem::current_path(ignored).string());
    std::vector<ScriptEvent> events;
    if (!checkScript(options, events, error))
        return refuse(error);
    if (!enterDataFolder(options,
                         BuildPlaces{QUORL_VERSION, QUORL_DATA_FROM_BIN, QUORL_INSTALL_DATA_DIR},
                         error)) {
        printf("%s\n", printable(error, true).c_str());
        return NO_DATA;
    }
    Settings settings;
    std::string settingsPath;
    usePlayerFolders(settings, settingsPath);
    if (!checkLevel(options, error))
        return refuse(error);
    if (options.seeded)
        randomSource.seed(options.seed);
    frameClock.fixedStep = options.fixedStep;

    installEntityHooks();
    installCollisionResponse();
    VirtualPads pads;
    PlaySession session(options, std::move(events), pads);
    if (!session.openTrace(error))
        return refuse(error);
    if (options.scripted())
        session.install(); // a plain run has nothing watching its frames

    std::vector<char*> glutArgv = {argv[0]};
    for (std::string& argument : options.glutArguments)
        glutArgv.push_back(argument.data());
    glutArgv.push_back(nullptr);
    int glutArgc = static_cast<int>(glutArgv.size()) - 1;
    openWindow(&glutArgc, glutArgv.data(), windowSettings(options, settings));
    // Before the joysticks are counted, so that the virtual pads are among them.
    session.attachPads();
    JoystickManager::install(std::make_unique<SdlJoystickBackend>());
    WelcomeScreen* welcome = WelcomeScreen::instance();
    welcome->settings = settings;
    welcome->settingsPath = settingsPath;
    welcome->takeSetup(options.setup, options.botsGiven, options.difficultyGiven,
                       options.roundsGiven);
    GameScreen::instance()->returnScreen = welcome;
    LevelEditor::instance()->returnScreen = welcome;
    Screen* first = welcome;
    if (!options.level.empty() && welcome->startLevelNamed(options.level))
        first = GameScreen::instance();
    int status = runShell(first);
    int sessionStatus = session.finish();
    releaseScreens();
    return status != 0 ? status : sessionStatus;
}
