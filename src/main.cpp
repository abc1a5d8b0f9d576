#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ai/computerplayer.h"
#include "audio/audiodevice.h"
#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "input/joystickmanager.h"
#include "math/randomsource.h"
#include "math/text.h"
#include "net/netlink.h"
#include "net/netprotocol.h"
#include "platform/frameclock.h"
#include "replay/computerseats.h"
#include "replay/matchreplay.h"
#include "replay/recordfile.h"
#include "screens/gamescreen.h"
#include "screens/gamesound.h"
#include "screens/levelcatalogue.h"
#include "screens/leveleditor.h"
#include "screens/onlinescreen.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpadsink.h"
#include "session/gamefiles.h"
#include "session/options.h"
#include "session/playsession.h"
#include "session/script.h"
#include "session/soundsetup.h"
#include "session/verifyrun.h"
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

// The folder --record writes into must be there: a typo would otherwise lose the whole match.
bool checkRecordFolder(const Options& options, std::string& error) {
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::path(options.recordPath).parent_path();
    if (!options.recordPath.empty() && !folder.empty() &&
        !std::filesystem::is_directory(folder, ignored)) {
        error = "--record: there is no folder " + folder.string() + " for " + options.recordPath;
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

// A recorded computer seat is played again by a computer player made anew: it reads the same
// world and random source, so it does what it did.
std::unique_ptr<InputSource> makeComputerPlayer(Match& match, int seat, Difficulty difficulty) {
    return std::make_unique<ComputerPlayer>(match, seat, difficulty);
}

// What this machine says it runs when it meets others online: its version. QUORL_NET_BUILD
// stands in for it, to try what a machine of another version sees.
std::string buildIdentity() {
    const char* given = std::getenv("QUORL_NET_BUILD");
    return given && *given ? given : QUORL_VERSION;
}

// The level --level names, for the host to send: empty (the default cube) when none is named.
LevelSource hostLevel(const Options& options) {
    LevelSource level;
    for (const LevelEntry& entry : listLevels(levelFolders))
        if (!options.level.empty() && entry.name == options.level) {
            level.name = entry.name;
            readLevelText(entry.path, level.text);
        }
    return level;
}

// --host or --join: the online screen gathers the match. False, with `error`, when the port
// cannot be had or the address names no machine.
bool startOnline(const Options& options, const MatchSettings& setup, std::string& error) {
    OnlineScreen* online = OnlineScreen::instance();
    if (options.hosting) {
        uint16_t port =
            static_cast<uint16_t>(options.hostPort ? options.hostPort : net::DEFAULT_PORT);
        return online->host(port, hostLevel(options), setup, options.machines, error);
    }
    std::string address;
    uint16_t port = 0;
    net::splitAddress(options.joinAddress, address, port);
    return online->join(address, port, error);
}

// Where the welcome screen's Host listens: the default port, or for tests, which must not take
// a port another run may be using, QUORL_ONLINE_PORT (0 for any free one). False, with `error`,
// for a value that is no port.
bool menuHostPort(uint16_t& port, std::string& error) {
    port = net::DEFAULT_PORT;
    const char* given = std::getenv("QUORL_ONLINE_PORT");
    if (!given)
        return true;
    std::string text = given;
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos || std::stol(text) > 65535) {
        error = "QUORL_ONLINE_PORT=" + text + ": a port is a number from 0 to 65535";
        return false;
    }
    port = static_cast<uint16_t>(std::stol(text));
    return true;
}

// Everything the screens hold, released before the program ends: a clean run leaves nothing
// behind for a leak checker to find.
void releaseScreens() {
    GameScreen::instance()->endGame();
    OnlineScreen::instance()->release();
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
    installComputerPlayerMaker(makeComputerPlayer);
    // The record is read where the player named it, before the data folder becomes the working
    // folder, and its messages name it as given.
    std::shared_ptr<const MatchRecord> record;
    if (!options.replayPath.empty()) {
        record = loadReplay(options.replayPath, error);
        if (!record)
            return refuse(error);
    }
    std::error_code ignored;
    anchorPaths(options, std::filesystem::current_path(ignored).string());
    std::vector<ScriptEvent> events;
    if (!checkScript(options, events, error) || !checkRecordFolder(options, error))
        return refuse(error);
    if (!enterDataFolder(options,
                         BuildPlaces{QUORL_VERSION, QUORL_DATA_FROM_BIN, QUORL_INSTALL_DATA_DIR},
                         error)) {
        printf("%s\n", printable(error, true).c_str());
        return NO_DATA;
    }
    if (record && options.verify) // the tank's model and the items' pictures come from the data
        return verifyRun(options.replayPath, record);
    Settings settings;
    std::string settingsPath;
    usePlayerFolders(settings, settingsPath);
    if (!checkLevel(options, error))
        return refuse(error);
    uint16_t hostPort = 0;
    if (!menuHostPort(hostPort, error))
        return refuse(error);
    if (options.seeded)
        randomSource.seed(options.seed);
    frameClock.fixedStep = options.fixedStep;
    AudioDevice audio;
    printf("%s\n", startGameSound(options, settings, audio).c_str());
    fflush(stdout);
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
    openWindow(&glutArgc, glutArgv.data(), windowSettings(options, settings));
    // Before the joysticks are counted, so that the virtual pads are among them.
    session.attachPads();
    JoystickManager::install(std::make_unique<SdlJoystickBackend>());
    WelcomeScreen* welcome = WelcomeScreen::instance();
    welcome->settings = settings;
    welcome->settingsPath = settingsPath;
    welcome->hostPort = hostPort;
    welcome->takeSetup(options.setup, options.botsGiven, options.difficultyGiven,
                       options.roundsGiven);
    game->returnScreen = welcome;
    LevelEditor::instance()->returnScreen = welcome;
    OnlineScreen* online = OnlineScreen::instance();
    online->returnScreen = welcome;
    online->gameVersion = buildIdentity();
    if (options.seeded)
        online->matchSeed = options.seed;
    bool playsOnline = options.hosting || !options.joinAddress.empty();
    Screen* first = welcome;
    if (playsOnline) {
        if (!startOnline(options, welcome->setup, error)) {
            printf("%s\n", printable(error).c_str());
            releaseScreens();
            return 1;
        }
        first = online;
    } else if (!options.level.empty() && welcome->startLevelNamed(options.level)) {
        first = game;
    }
    if (record) {
        if (!game->startReplay(record, error)) {
            releaseScreens();
            return refuse("cannot replay " + options.replayPath + ": " + error);
        }
        first = game;
    }
    int status = runShell(first);
    int sessionStatus = session.finish();
    useGameAudio(nullptr);
    audio.close();
    releaseScreens();
    if (game->recordingFailed && sessionStatus == 0)
        sessionStatus = 1;
    return status != 0 ? status : sessionStatus;
}
