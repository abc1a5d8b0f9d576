#include "session/options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "match/matchsetup.h"
#include "net/netlink.h"
#include "net/netprotocol.h"
#include "session/numbers.h"

namespace {

bool endsWithPng(const std::string& path) {
    if (path.size() < 5)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".png";
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool parseScreenshot(const std::string& value, Options& options, std::string& error) {
    size_t colon = value.find(':');
    long long frame = 0;
    std::string path = colon == std::string::npos ? "" : value.substr(colon + 1);
    if (colon == std::string::npos ||
        !parseWholeNumber(value.substr(0, colon), 0, INT_MAX, frame) || !endsWithPng(path)) {
        error = "--screenshot wants FRAME:FILE.png, not " + quoted(value);
        return false;
    }
    options.screenshots.push_back({static_cast<int>(frame), path});
    return true;
}

bool parseSize(const std::string& value, Options& options, std::string& error) {
    size_t x = value.find('x');
    long long w = 0, h = 0;
    if (x == std::string::npos ||
        !parseWholeNumber(value.substr(0, x), Options::MIN_WINDOW_WIDTH, Options::MAX_WINDOW_SIDE,
                          w) ||
        !parseWholeNumber(value.substr(x + 1), Options::MIN_WINDOW_HEIGHT, Options::MAX_WINDOW_SIDE,
                          h)) {
        error = "--size wants WIDTHxHEIGHT in pixels, from " +
                std::to_string(Options::MIN_WINDOW_WIDTH) + "x" +
                std::to_string(Options::MIN_WINDOW_HEIGHT) + " to " +
                std::to_string(Options::MAX_WINDOW_SIDE) + "x" +
                std::to_string(Options::MAX_WINDOW_SIDE) + ", not " + quoted(value);
        return false;
    }
    options.width = static_cast<int>(w);
    options.height = static_cast<int>(h);
    options.sizeGiven = true;
    return true;
}

// An option that takes a value: stores it, or says what is wrong with it.
bool applyValue(const std::string& name, const std::string& value, Options& options,
                std::string& error) {
    long long number = 0;
    if (name == "--pads") {
        if (!parseWholeNumber(value, 0, Options::MAX_PADS, number)) {
            error = "--pads wants a number of pads from 0 to " + std::to_string(Options::MAX_PADS) +
                    ", not " + quoted(value);
            return false;
        }
        options.pads = static_cast<int>(number);
    } else if (name == "--seed") {
        if (!parseWholeNumber(value, 0, UINT_MAX, number)) {
            error = "--seed wants a whole number from 0 to " + std::to_string(UINT_MAX) + ", not " +
                    quoted(value);
            return false;
        }
        options.seeded = true;
        options.seed = static_cast<unsigned int>(number);
    } else if (name == "--exit-after") {
        if (!parseWholeNumber(value, 0, INT_MAX, number)) {
            error = "--exit-after wants a frame number (0 or more), not " + quoted(value);
            return false;
        }
        options.exitAfter = static_cast<int>(number);
    } else if (name == "--effects-volume" || name == "--music-volume") {
        if (!parseWholeNumber(value, 0, Options::MAX_VOLUME, number)) {
            error = name + " wants a volume from 0 to " + std::to_string(Options::MAX_VOLUME) +
                    ", not " + quoted(value);
            return false;
        }
        (name == "--effects-volume" ? options.effectsVolume : options.musicVolume) =
            static_cast<int>(number);
    } else if (name == "--bots") {
        if (!parseWholeNumber(value, 0, MAX_PLAYERS, options.setup.computerTanks)) {
            error = "--bots wants a number of computer tanks from 0 to " +
                    std::to_string(MAX_PLAYERS) + ", not " + quoted(value);
            return false;
        }
        options.botsGiven = true;
    } else if (name == "--difficulty") {
        if (!parseDifficulty(value, options.setup.difficulty)) {
            error = "--difficulty wants easy, normal or hard, not " + quoted(value);
            return false;
        }
        options.difficultyGiven = true;
    } else if (name == "--rounds") {
        if (!parseWholeNumber(value, 1, MAX_ROUNDS_TO_WIN, options.setup.roundsToWin)) {
            error = "--rounds wants the rounds to win, from 1 to " +
                    std::to_string(MAX_ROUNDS_TO_WIN) + ", not " + quoted(value);
            return false;
        }
        options.roundsGiven = true;
    } else if (name == "--machines") {
        if (!parseWholeNumber(value, 2, net::MAX_MACHINES, number)) {
            error = "--machines wants the number of machines from 2 to " +
                    std::to_string(net::MAX_MACHINES) + ", the host's included, not " +
                    quoted(value);
            return false;
        }
        options.machines = static_cast<int>(number);
    } else if (name == "--host") {
        if (!parseWholeNumber(value, 1, 65535, number)) {
            error = "--host wants a port from 1 to 65535, not " + quoted(value);
            return false;
        }
        options.hostPort = static_cast<int>(number);
    } else if (name == "--screenshot") {
        return parseScreenshot(value, options, error);
    } else if (name == "--size") {
        return parseSize(value, options, error);
    } else if (value.empty()) {
        error = name + " wants a non-empty value";
        return false;
    } else if (name == "--multisample") {
        if (value != "auto" && value != "on" && value != "off") {
            error = "--multisample wants auto, on or off, not " + quoted(value);
            return false;
        }
        options.multisample = value;
    } else if (name == "--data") {
        options.dataFolder = value;
    } else if (name == "--level") {
        if (value.find('/') != std::string::npos) {
            error = "--level wants the name of a level, not a path: " + quoted(value);
            return false;
        }
        options.level = value;
    } else if (name == "--record") {
        options.recordPath = value;
    } else if (name == "--join") {
        std::string address;
        uint16_t port = 0;
        if (!net::splitAddress(value, address, port)) {
            error = "--join wants ADDRESS or ADDRESS:PORT (a port from 1 to 65535), not " +
                    quoted(value);
            return false;
        }
        options.joinAddress = value;
    } else if (name == "--replay") {
        options.replayPath = value;
    } else {
        (name == "--script" ? options.scriptPath : options.tracePath) = value;
    }
    return true;
}

bool takesValue(const std::string& name) {
    static const char* const withValue[] = {
        "--pads",           "--script",       "--level",  "--seed",    "--trace",
        "--screenshot",     "--exit-after",   "--size",   "--data",    "--multisample",
        "--effects-volume", "--music-volume", "--record", "--replay",  "--bots",
        "--difficulty",     "--rounds",       "--join",   "--machines"};
    for (const char* option : withValue)
        if (name == option)
            return true;
    return false;
}

// GLUT's own options, left for glutInit: those that take a value, and those that do not.
bool isGlutOption(const std::string& argument, bool& takesArgument) {
    takesArgument = argument == "-display" || argument == "-geometry";
    return takesArgument || argument == "-direct" || argument == "-indirect" ||
           argument == "-iconic" || argument == "-gldebug" || argument == "-sync";
}

// What a replay cannot take: it is its record's match, and --verify opens no window.
bool checkReplay(const Options& options, std::string& error) {
    if (options.verify && options.replayPath.empty()) {
        error = "--verify checks the record of --replay FILE, and none is given";
        return false;
    }
    if (options.replayPath.empty())
        return true;
    if (!options.level.empty() || !options.recordPath.empty()) {
        error = std::string("--replay plays its record's match: it does not go with ") +
                (options.level.empty() ? "--record" : "--level");
        return false;
    }
    if (!options.verify)
        return true;
    const struct {
        bool given;
        const char* name;
    } windowOptions[] = {{options.pads > 0, "--pads"},
                         {!options.scriptPath.empty(), "--script"},
                         {!options.tracePath.empty(), "--trace"},
                         {!options.screenshots.empty(), "--screenshot"},
                         {options.exitAfter >= 0, "--exit-after"},
                         {options.fast, "--fast"}};
    for (const auto& option : windowOptions)
        if (option.given) {
            error = std::string("--verify runs without a window: ") + option.name +
                    " does not go with it";
            return false;
        }
    return true;
}

// Whether two paths name the same file: the same file when both exist (links, "./" and
// hard links included), else the same absolute path once "." and ".." are resolved.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ignored;
    if (std::filesystem::exists(a, ignored) && std::filesystem::exists(b, ignored))
        return std::filesystem::equivalent(a, b, ignored);
    auto normal = [](const std::string& path) {
        std::error_code ignoredToo;
        return std::filesystem::absolute(path, ignoredToo).lexically_normal();
    };
    return normal(a) == normal(b);
}

// A machine hosts or joins; the host chooses the level and the match's setup.
bool checkOnline(const Options& options, std::string& error) {
    bool joining = !options.joinAddress.empty();
    if (options.machines > 0 && !options.hosting) {
        error = "--machines is for the host: it goes with --host";
        return false;
    }
    if (!options.hosting && !joining)
        return true;
    const char* mode = options.hosting ? "--host" : "--join";
    if (options.hosting && joining) {
        error = "--host and --join do not go together: a machine hosts or joins";
        return false;
    }
    if (!options.replayPath.empty()) {
        error = std::string(mode) + " plays a match online: it does not go with --replay";
        return false;
    }
    if (joining && (!options.level.empty() || options.botsGiven || options.roundsGiven ||
                    options.difficultyGiven)) {
        error = "the host chooses the level and the match's setup: --join does not go with "
                "--level, --bots, --difficulty or --rounds";
        return false;
    }
    return true;
}

bool checkTogether(const Options& options, std::string& error) {
    if (!checkReplay(options, error) || !checkOnline(options, error))
        return false;
    if (!options.scriptPath.empty() && !options.tracePath.empty() &&
        sameFile(options.scriptPath, options.tracePath)) {
        error = "--trace " + quoted(options.tracePath) + " would overwrite the script " +
                quoted(options.scriptPath);
        return false;
    }
    for (const ScreenshotRequest& shot : options.screenshots)
        if (options.exitAfter >= 0 && shot.frame > options.exitAfter) {
            error = "--screenshot at frame " + std::to_string(shot.frame) +
                    " comes after --exit-after " + std::to_string(options.exitAfter);
            return false;
        }
    return true;
}

} // namespace

bool parseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error) {
    // Invariant: arguments before i are consumed into `options`.
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        size_t equals = argument.find('=');
        std::string name =
            argument.compare(0, 2, "--") == 0 ? argument.substr(0, equals) : argument;
        bool glutTakesArgument = false;
        if (isGlutOption(argument, glutTakesArgument)) {
            options.glutArguments.push_back(argument);
            if (glutTakesArgument && i + 1 < arguments.size())
                options.glutArguments.push_back(arguments[++i]);
        } else if (takesValue(name)) {
            if (equals == std::string::npos && i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return false;
            }
            if (equals == std::string::npos && arguments[i + 1].compare(0, 2, "--") == 0) {
                // "--trace --fast" forgot the file; taking "--fast" as one would both drop
                // the option and write a file of that name. "--trace=--fast" still can.
                error = name + " needs a value, not the option " + quoted(arguments[i + 1]) +
                        " (write " + name + "=VALUE for a value that starts with --)";
                return false;
            }
            std::string value =
                equals == std::string::npos ? arguments[++i] : argument.substr(equals + 1);
            if (!applyValue(name, value, options, error))
                return false;
        } else if (name == "--host") {
            options.hosting = true;
            // The port is optional: the next argument is it when it is a number.
            bool next = i + 1 < arguments.size() && !arguments[i + 1].empty() &&
                        arguments[i + 1].find_first_not_of("0123456789") == std::string::npos;
            if (equals != std::string::npos || next) {
                std::string value =
                    equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
                if (!applyValue(name, value, options, error))
                    return false;
            }
        } else if (argument == "--fixed-step") {
            options.fixedStep = true;
        } else if (argument == "--fast") {
            options.fast = true;
            options.fixedStep = true; // the game's time must not follow the racing clock
        } else if (argument == "--verify") {
            options.verify = true;
        } else if (argument == "--fullscreen") {
            options.fullscreen = true;
        } else if (argument == "--no-multisample") {
            options.multisample = "off";
        } else if (argument == "--mute") {
            options.mute = true;
        } else if (argument == "--no-rumble") {
            options.noRumble = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            error = "unknown argument " + quoted(argument);
            return false;
        }
    }
    return checkTogether(options, error);
}

const char* usageText() {
    return "Usage: quorl [options]\n"
           "  --pads N                 attach N virtual game controllers (0 to 16), counted as\n"
           "                           the system's pads\n"
           "  --script FILE            replay the input events of FILE, one a line\n"
           "  --level NAME             start a match on the level NAME (as the list shows it)\n"
           "  --bots N                 computer tanks on the faces the players leave free\n"
           "                           (0 to 6; with --pads 0 and no pad, they play alone)\n"
           "  --difficulty D           how the computer tanks play: easy, normal or hard\n"
           "  --rounds N               rounds a tank must win to win the match (1 to 9)\n"
           "  --seed S                 seed the random source with S (0 to 4294967295)\n"
           "  --fixed-step             advance the game by exactly 1/60 s every frame\n"
           "  --fast                   draw each frame as soon as the last one is done, not\n"
           "                           60 a second (implies --fixed-step)\n"
           "  --trace FILE             write one JSON line per frame to FILE\n"
           "  --screenshot T:FILE.png  save the window as a PNG right after frame T\n"
           "                           (repeatable)\n"
           "  --exit-after T           end the program after frame T\n"
           "  --size WxH               window size in pixels (default: the settings', 800x600)\n"
           "  --fullscreen             start in full screen\n"
           "  --multisample auto|on|off  antialiasing; auto (the default) turns it on where a\n"
           "                           graphics card draws and off on a software renderer,\n"
           "                           where it halves the frame rate\n"
           "  --no-multisample         the same as --multisample off\n"
           "  --data DIR               the game's data folder (models/, textures/, levels/),\n"
           "                           looked at before QUORL_DATA and the usual places\n"
           "  --mute                   run without sound (no audio device is opened)\n"
           "  --effects-volume N       sound effects' volume, 0 (silent) to 10 (full)\n"
           "  --music-volume N         music's volume, 0 (silent) to 10 (full)\n"
           "  --no-rumble              pads never shake\n"
           "  --record FILE            record the first match of the run into FILE\n"
           "  --replay FILE            watch the match recorded in FILE: Space pauses, Right\n"
           "                           steps while paused, Up and Down change the speed\n"
           "  --verify                 with --replay: re-play the record without a window and\n"
           "                           compare its states; exit 0 when all agree, 1 when one\n"
           "                           differs, 2 when the record cannot be read\n"
           "  --host [PORT]            host an online match on UDP PORT (default 27183): the\n"
           "                           others join it; choose the level with --level\n"
           "  --machines N             with --host: start the match as soon as N machines\n"
           "                           (2 to 6, this one included) are connected\n"
           "  --join ADDRESS[:PORT]    join the online match hosted at ADDRESS\n"
           "  --version                print the version\n"
           "  --help                   show this text\n"
           "Options given here win over the settings file for this run and are not saved.\n"
           "Frames are numbered from 0 at start-up, 60 a second. While playing, F11 turns full\n"
           "screen on and off and F12 saves a screenshot in the pictures folder.\n"
           "Exit status: 0 when the game ends or a verified record agrees, 1 when its data is\n"
           "not found, a scripted run's work failed or a verified record differs, 2 for a bad\n"
           "argument or a record that cannot be replayed.\n";
}
