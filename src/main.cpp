#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "input/joystickmanager.h"
#include "math/randomsource.h"
#include "platform/frameclock.h"
#include "replay/matchreplay.h"
#include "replay/recordfile.h"
#include "screens/gamescreen.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpadsink.h"
#include "session/options.h"
#include "session/playsession.h"
#include "session/script.h"
#include "session/verifyrun.h"

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
    std::error_code ignored;
    if (!options.level.empty() &&
        !std::filesystem::is_regular_file("levels/" + options.level, ignored)) {
        error = "--level: there is no level file levels/" + options.level;
        return false;
    }
    std::filesystem::path recordFolder = std::filesystem::path(options.recordPath).parent_path();
    if (!options.recordPath.empty() && !recordFolder.empty() &&
        !std::filesystem::is_directory(recordFolder, ignored)) {
        error =
            "--record: there is no folder " + recordFolder.string() + " for " + options.recordPath;
        return false;
    }
    return true;
}

// The record of --replay, read and checked before any window opens; null, with `error`, when
// it cannot be replayed.
std::shared_ptr<const MatchRecord> loadReplay(const std::string& path, std::string& error) {
    auto record = std::make_shared<MatchRecord>();
    if (!readRecordFile(path, QUORL_VERSION, *record, error))
        return nullptr;
    if (!MatchReplay::open(record, error)) {
        error = "cannot replay " + path + ": " + error;
        return nullptr;
    }
    return record;
}

// Records go where --record says: the run's first match, and no later one over it.
void recordFirstMatch(GameScreen& game, const std::string& path) {
    game.recordPath = [path, used = false]() mutable {
        if (used)
            return std::string();
        used = true;
        return path;
    };
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
    std::shared_ptr<const MatchRecord> record;
    if (!options.replayPath.empty()) {
        record = loadReplay(options.replayPath, error);
        if (!record)
            return refuse(error);
        if (options.verify)
            return verifyRun(options.replayPath, record);
    }
    std::vector<ScriptEvent> events;
    if (!checkInputs(options, events, error))
        return refuse(error);
    if (options.seeded)
        randomSource.seed(options.seed);
    frameClock.fixedStep = options.fixedStep;
    GameScreen* game = GameScreen::instance();
    if (options.seeded)
        game->matchSeed = options.seed;
    game->gameVersion = QUORL_VERSION;
    if (!options.recordPath.empty())
        recordFirstMatch(*game, options.recordPath);

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
    game->returnScreen = welcome;
    LevelEditor::instance()->returnScreen = welcome;
    Screen* first = welcome;
    if (!options.level.empty() && welcome->startLevelNamed(options.level))
        first = game;
    if (record) {
        if (!game->startReplay(record, error)) {
            releaseScreens();
            return refuse("cannot replay " + options.replayPath + ": " + error);
        }
        first = game;
    }
    int status = runShell(first);
    int sessionStatus = session.finish();
    releaseScreens();
    if (game->recordingFailed && sessionStatus == 0)
        sessionStatus = 1;
    return status != 0 ? status : sessionStatus;
}
