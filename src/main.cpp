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
#include "platform/frameclock.h"
#include "screens/gamescreen.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpadsink.h"
#include "session/options.h"
#include "session/playsession.h"
#include "session/script.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int BAD_ARGUMENTS = 2; // exit status

int refuse(const std::string& message) {
    printf("%s\n\n%s", message.c_str(), usageText());
    return BAD_ARGUMENTS;
}

// What the options ask for that the command line alone cannot check: the script's lines,
// its pads and the level file. False with `error` saying which.
bool checkInputs(const Options& options, std::vector<ScriptEvent>& events, std::string& error) {
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
    if (options.level.empty())
        return true;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file("levels/" + options.level, ignored)) {
        error = "--level: there is no level file levels/" + options.level;
        return false;
    }
    // A file that is there but is no level would leave the run on the menu, as if all were well.
    std::string text;
    if (!readLevelText(options.level, text)) {
        error = "--level: the level file levels/" + options.level + " cannot be read";
        return false;
    }
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    if (!std::unique_ptr<World>(readLevel(in, "levels/" + options.level))) {
        error = "--level: levels/" + options.level + " is not a level this game can load";
        return false;
    }
    return true;
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
    std::vector<ScriptEvent> events;
    if (!checkInputs(options, events, error))
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
    openWindow(
        &glutArgc, glutArgv.data(),
        WindowSettings{options.width, options.height, options.fullscreen, options.multisample});
    // Before the joysticks are counted, so that the virtual pads are among them.
    session.attachPads();
    JoystickManager::install(std::make_unique<SdlJoystickBackend>());
    WelcomeScreen* welcome = WelcomeScreen::instance();
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
