#include "screens/welcomescreen.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <memory>
#include <sstream>

#include "assets/glm.h"
#include "audio/audiodevice.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "match/matchsetup.h"
#include "math/colours.h"
#include "math/text.h"
#include "net/netlink.h"
#include "platform/frameclock.h"
#include "platform/platform.h"
#include "platform/stroketext.h"
#include "platform/traceline.h"
#include "replay/recordfile.h"
#include "replay/recordfolder.h"
#include "screens/gamescreen.h"
#include "screens/gamesound.h"
#include "screens/leveleditor.h"
#include "screens/onlinescreen.h"
#include "screens/shell.h"
#include "world/levelfile.h"
#include "world/rubikscube.h"
#include "world/world.h"

namespace {

constexpr float MARKER_TURN_TIME = static_cast<float>(36 * (1.0 / 60)); // seconds a quarter turn
constexpr unsigned char BACKSPACE = 8;
constexpr const char* JOIN_ADDRESS_KEY = "join_address"; // of the settings

float widestItem(const char* const items[WelcomeScreen::MENU_ITEMS]) {
    float widest = 0;
    for (int i = 0; i < WelcomeScreen::MENU_ITEMS; ++i)
        widest = std::max(widest, strokeTextWidth(items[i]));
    return widest;
}

} // namespace

WelcomeScreen* WelcomeScreen::instance() {
    static WelcomeScreen* screen = new WelcomeScreen();
    return screen;
}

WelcomeScreen::WelcomeScreen()
    : keyboardKeys(KeyboardInput::menuKeys()), keyboardInput(&keyboardKeys) {
    JoystickManager* pads = JoystickManager::instance();
    for (int i = 0; i < pads->count; ++i)
        inputs.emplace_back(pads->getGamepad(i));
    titleModel = glmReadOBJ("models/zentrovix.obj");
    glmFitUnitCube(titleModel);
    float dimensions[3];
    glmExtents(titleModel, dimensions);
    glmScaleBy(titleModel, 1.0f / dimensions[0]);
    glmExtents(titleModel, dimensions);
    titleSize = Vec3f(dimensions[0], dimensions[1], dimensions[2]);
    glmFaceNormals(titleModel);
    glmVertexNormals(titleModel, 15.0f);
    displayTank = new Tank(Vec3f(0, 1, 0), nullptr);
    displayTank->colour = Vec4f(0.35f, 0.35f, 0.35f, 1);
    textScale = 0.45f / widestItem(menuItems);
    markerSize = strokeTextWidth("W") * textScale * 0.5f;
    marker = new RubiksCube(3, 2.0f / 3.0f * markerSize, MARKER_TURN_TIME);
}

void WelcomeScreen::release() {
    if (mode == SETTINGS) // the window closed on the Settings rows: they are left too
        leaveSettings();
    glmFreeModel(titleModel);
    titleModel = nullptr;
    delete displayTank;
    displayTank = nullptr;
    delete marker;
    marker = nullptr;
}

void WelcomeScreen::addTraceFields(TraceLine& line) const {
    line.add("mode", mode);
    line.add("selected", selected);
    line.add("scroll", scroll);
    line.add("levels", static_cast<int>(levels.size()));
    if (mode == MAIN_MENU && !lastRecord.empty())
        line.add("lastMatch", std::filesystem::path(lastRecord).filename().string());
    if (mode == LEVEL_LIST && listHosts)
        line.add("hosting", true);
    if (mode == JOIN_ADDRESS)
        line.add("address", address);
    if (mode == LEVEL_LIST) {
        line.add("setupRow", setupRow);
        line.add("bots", setup.computerTanks);
        line.add("difficulty", difficultyWord(setup.difficulty));
        line.add("rounds", setup.roundsToWin);
    }
    if (mode == SETTINGS)
        for (size_t key : settingRows())
            line.add(Settings::keys()[key].key, settings.valueText(key));
    if (!message.empty())
        line.add("message", message);
}

void WelcomeScreen::tick() {
    frameClock.tick();
    float dt = frameClock.dt;
    JoystickManager::instance()->pollEvents();
    hearPads();
    for (MenuInput& input : inputs)
        handleInput(input, false);
    handleInput(keyboardInput, true);
    if (!marker->isRotating)
        marker->startRotation(markerRandom.uniformInt(0, 5), 0);
    marker->updateRotation(dt);
    markerAngle += dt * markerSpin;
    platform().postRedisplay();
}

void WelcomeScreen::handleInput(MenuInput& input, bool fromKeyboard) {
    input.poll();
    if (mode == MAIN_MENU) {
        std::vector<int> rows = menuRows();
        int count = static_cast<int>(rows.size());
        if (input.verticalChanged()) {
            selected = (selected + input.y + count) % count;
            if (input.y != 0)
                playInterfaceSound(SoundId::MENU_MOVE);
        }
        // A marker left below the rows (by the level list's row) chooses nothing until a push
        // wraps it back.
        if (input.released(0) && selected >= 0 && selected < count) {
            playInterfaceSound(SoundId::MENU_CHOOSE);
            chooseMenuItem(rows[static_cast<size_t>(selected)]);
        }
        return;
    }
    if (mode == SETTINGS) {
        handleSettingsInput(input);
        return;
    }
    if (mode == ONLINE || mode == JOIN_ADDRESS) {
        handleOnlineInput(input);
        return;
    }
    handleListInput(input, fromKeyboard);
}

// "Host" and "Join" go round like the main menu; on the Join line button 0 (Enter) joins what is
// typed, so that a pad alone joins the address remembered. Button 1 goes back a step.
void WelcomeScreen::handleOnlineInput(MenuInput& input) {
    if (input.released(1)) {
        playInterfaceSound(SoundId::MENU_BACK);
        message.clear();
        if (mode == JOIN_ADDRESS) {
            mode = ONLINE;
            selected = ONLINE_JOIN;
        } else {
            mode = MAIN_MENU;
            selected = rowOf(PLAY_ONLINE);
        }
        return;
    }
    if (mode == JOIN_ADDRESS) {
        if (input.released(0)) {
            playInterfaceSound(SoundId::MENU_CHOOSE);
            joinTyped();
        }
        return;
    }
    if (input.verticalChanged()) {
        selected = ((selected + input.y) % ONLINE_ROWS + ONLINE_ROWS) % ONLINE_ROWS;
        if (input.y != 0)
            playInterfaceSound(SoundId::MENU_MOVE);
    }
    if (!input.released(0) || selected < 0 || selected >= ONLINE_ROWS)
        return;
    playInterfaceSound(SoundId::MENU_CHOOSE);
    message.clear();
    if (selected == ONLINE_HOST) {
        mode = LEVEL_LIST;
        listHosts = true;
        selected = scroll = 0;
        setupRow = -1;
        levels = listLevels(levelFolders);
    } else {
        mode = JOIN_ADDRESS;
        selected = 0; // the marker points at the line
        address = settings.textValue(JOIN_ADDRESS_KEY);
    }
}

// Up from the first level goes onto the setup rows, down from the last of them back to the
// levels; on a setup row left and right (and button 0, like right) change it.
void WelcomeScreen::handleListInput(MenuInput& input, bool fromKeyboard) {
    if (input.verticalChanged()) {
        if (setupRow >= 0) {
            setupRow = std::max(0, setupRow + input.y);
            if (setupRow >= SETUP_ROWS) {
                setupRow = -1;
                selected = 0;
            }
        } else if (input.y < 0 && selected == 0 && scroll == 0) {
            setupRow = SETUP_ROWS - 1;
        } else {
            moveInList(input.y);
        }
        if (input.y != 0)
            playInterfaceSound(SoundId::MENU_MOVE);
    }
    if (input.released(1)) {
        leaveLevelList();
        playInterfaceSound(SoundId::MENU_BACK);
    } else if (setupRow >= 0) {
        int direction = input.x != input.prevX ? input.x : 0;
        if (direction == 0 && input.released(0))
            direction = 1;
        if (direction != 0) {
            changeSetup(setupRow, direction);
            playInterfaceSound(SoundId::MENU_MOVE);
        }
    } else if (input.released(0)) {
        playInterfaceSound(SoundId::MENU_CHOOSE);
        if (listHosts)
            hostLevel(scroll + selected);
        else
            startLevel(scroll + selected, fromKeyboard);
    }
}

// Back to where the list was reached from: "Play" on the main menu, or "Host".
void WelcomeScreen::leaveLevelList() {
    saveSetup();
    mode = listHosts ? ONLINE : MAIN_MENU;
    selected = listHosts ? ONLINE_HOST : 0;
    setupRow = -1;
    listHosts = false;
}

int WelcomeScreen::mostComputers() const {
    int people = static_cast<int>(JoystickManager::instance()->connectedGamepads().size());
    return MAX_PLAYERS - std::max(1, std::min(people, MAX_PLAYERS - 1));
}

void WelcomeScreen::changeSetup(int row, int direction) {
    if (row == SETUP_COMPUTERS) {
        int most = mostComputers();
        setup.computerTanks = std::max(0, std::min(most, setup.computerTanks + direction));
    } else if (row == SETUP_DIFFICULTY) {
        int index = (static_cast<int>(setup.difficulty) + direction + 3) % 3;
        setup.difficulty = static_cast<Difficulty>(index);
    } else if (row == SETUP_ROUNDS) {
        // 1, 3, 5 round; a count the command line gave goes to the next of them.
        static const int CHOICES[3] = {1, 3, 5};
        int at = direction > 0 ? 0 : 2;
        if (direction > 0) {
            while (at < 3 && CHOICES[at] <= setup.roundsToWin)
                ++at;
            at %= 3;
        } else {
            while (at >= 0 && CHOICES[at] >= setup.roundsToWin)
                --at;
            at = (at + 3) % 3;
        }
        setup.roundsToWin = CHOICES[at];
    }
    settings.set(Settings::indexOf("computer_tanks"), setup.computerTanks);
    settings.set(Settings::indexOf("difficulty"), static_cast<int>(setup.difficulty));
    settings.set(Settings::indexOf("rounds_to_win"), setup.roundsToWin);
    setupChanged = true;
}

std::string WelcomeScreen::setupText(int row) const {
    switch (row) {
    case SETUP_COMPUTERS:
        return "Computer tanks: " + std::to_string(setup.computerTanks);
    case SETUP_DIFFICULTY:
        return std::string("Difficulty: ") + difficultyName(setup.difficulty);
    case SETUP_ROUNDS:
        return "Rounds to win: " + std::to_string(setup.roundsToWin);
    default:
        return std::string();
    }
}

void WelcomeScreen::takeSetup(const MatchSettings& given, bool botsGiven, bool difficultyGiven,
                              bool roundsGiven) {
    setup.computerTanks = settings.get("computer_tanks");
    setup.difficulty = static_cast<Difficulty>(settings.get("difficulty"));
    setup.roundsToWin = settings.get("rounds_to_win");
    // The command line's choices are for this run; the file keeps the player's own.
    if (botsGiven)
        setup.computerTanks = given.computerTanks;
    if (difficultyGiven)
        setup.difficulty = given.difficulty;
    if (roundsGiven)
        setup.roundsToWin = given.roundsToWin;
}

void WelcomeScreen::saveSetup() {
    if (!setupChanged)
        return;
    setupChanged = false;
    std::string error;
    if (!saveSettings(settingsPath, settings, error)) {
        message = "Settings not saved: " + error;
        printf("%s\n", message.c_str());
        fflush(stdout);
    }
}

// In the list, the selection moves within the visible rows and scrolls at their ends.
void WelcomeScreen::moveInList(int step) {
    int count = static_cast<int>(levels.size());
    selected += step;
    if (selected >= count - scroll) {
        selected = count - scroll - 1;
    } else if (selected >= VISIBLE_ROWS) {
        selected = VISIBLE_ROWS - 1;
        if (scroll < count - 1)
            scroll += 1;
    } else if (selected < 0) {
        selected = 0;
        if (scroll > 0)
            scroll -= 1;
    }
    if (selected < 0) // an empty list leaves nothing to select
        selected = 0;
}

void WelcomeScreen::chooseMenuItem(int item) {
    message.clear();
    switch (item) {
    case 0:
        mode = LEVEL_LIST;
        listHosts = false;
        scroll = 0;
        setupRow = -1;
        levels = listLevels(levelFolders);
        break;
    case 1:
        switchScreen(LevelEditor::instance());
        break;
    case 2:
        mode = SETTINGS;
        selected = 0;
        settingsOnEntry = settings;
        break;
    case 3:
        quitProgram();
        break;
    case WATCH_LAST_MATCH:
        watchLastMatch();
        break;
    case PLAY_ONLINE:
        mode = ONLINE;
        selected = ONLINE_HOST;
        break;
    default:
        break;
    }
}

std::vector<int> WelcomeScreen::menuRows() const {
    // Just above "Quit", so that the rows a hand knows (Play, Level Editor, Settings) stay
    // where they are whether a record exists or not.
    if (lastRecord.empty())
        return {0, 1, 2, PLAY_ONLINE, 3};
    return {0, 1, 2, WATCH_LAST_MATCH, PLAY_ONLINE, 3};
}

int WelcomeScreen::rowOf(int item) const {
    std::vector<int> rows = menuRows();
    return static_cast<int>(std::find(rows.begin(), rows.end(), item) - rows.begin());
}

bool WelcomeScreen::watchLastMatch() {
    GameScreen* game = GameScreen::instance();
    auto record = std::make_shared<MatchRecord>();
    std::string error;
    if (!readRecordFile(lastRecord, game->gameVersion, *record, error) ||
        !game->startReplay(record, error)) {
        printf("Cannot watch the last match: %s\n", error.c_str());
        message = "Cannot watch the last match";
        return false;
    }
    game->returnScreen = this;
    switchScreen(game);
    return true;
}

bool WelcomeScreen::startLevelNamed(const std::string& name) {
    levels = listLevels(levelFolders);
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i].name == name) {
            mode = LEVEL_LIST;
            return startLevel(static_cast<int>(i));
        }
    printf("There is no level \"%s\"\n", printable(name).c_str());
    return false;
}

bool WelcomeScreen::startLevel(int index, bool fromKeyboard) {
    if (index < 0 || index >= static_cast<int>(levels.size()))
        return false; // an empty list has nothing to start
    const LevelEntry& level = levels[static_cast<size_t>(index)];
    printf("Loading level: %s\n", printable(level.name).c_str());
    GameScreen* game = GameScreen::instance();
    saveSetup();
    if (!game->startGame(level.path, fromKeyboard, setup)) {
        message = "Cannot load \"" + level.name + "\"";
        return false;
    }
    game->returnScreen = this;
    switchScreen(game);
    return true;
}

bool WelcomeScreen::hostLevel(int index) {
    if (index < 0 || index >= static_cast<int>(levels.size()))
        return false; // an empty list has nothing to host
    const LevelEntry& entry = levels[static_cast<size_t>(index)];
    LevelSource level{entry.name, ""};
    // Every machine builds the match from this text: one it cannot load is refused here, not
    // found out by each of them when the match starts.
    bool loads = readLevelText(entry.path, level.text);
    if (loads) {
        std::istringstream in(level.text);
        in.imbue(std::locale::classic());
        loads = std::unique_ptr<World>(readLevel(in, entry.path)) != nullptr;
    }
    if (!loads) {
        message = "Cannot load \"" + entry.name + "\"";
        return false;
    }
    saveSetup();
    OnlineScreen* online = OnlineScreen::instance();
    std::string error;
    if (!online->host(hostPort, level, setup, 0, error)) {
        message = "Cannot host: " + error;
        printf("%s\n", printable(message).c_str());
        fflush(stdout);
        return false;
    }
    printf("Hosting level: %s\n", printable(entry.name).c_str());
    fflush(stdout);
    backFromOnline = true;
    online->returnScreen = this;
    switchScreen(online);
    return true;
}

void WelcomeScreen::typeAddress(unsigned char key) {
    if (key == BACKSPACE) {
        if (!address.empty())
            address.pop_back();
    } else if (key >= ' ' && key <= '~' && address.size() < MAX_ADDRESS) {
        address += static_cast<char>(key);
    }
}

bool WelcomeScreen::joinTyped() {
    message.clear();
    std::string host;
    uint16_t port = 0;
    if (address.empty()) {
        message = "Type the host's address first";
        return false;
    }
    if (!net::splitAddress(address, host, port)) {
        message = "Not an address: HOST or HOST:PORT, the port 1 to 65535";
        return false;
    }
    OnlineScreen* online = OnlineScreen::instance();
    std::string error;
    if (!online->join(host, port, error)) {
        message = "Cannot join: " + error;
        printf("%s\n", printable(message).c_str());
        fflush(stdout);
        return false;
    }
    // Remembered once it has been joined: a slip of the fingers is not offered next time.
    if (settings.textValue(JOIN_ADDRESS_KEY) != address &&
        settings.setTextValue(JOIN_ADDRESS_KEY, address)) {
        std::string failure;
        if (!saveSettings(settingsPath, settings, failure)) {
            message = "Settings not saved: " + failure;
            printf("%s\n", printable(message).c_str());
            fflush(stdout);
        }
    }
    backFromOnline = true;
    online->returnScreen = this;
    switchScreen(online);
    return true;
}

void WelcomeScreen::keyboard(unsigned char key, int, int) {
    if (mode == JOIN_ADDRESS)
        typeAddress(key);
    keyboardKeys.press(key);
}

void WelcomeScreen::keyboardUp(unsigned char key, int, int) {
    keyboardKeys.release(key);
}

void WelcomeScreen::special(int key, int, int) {
    keyboardKeys.press(KeyboardInput::SPECIAL + key);
}

void WelcomeScreen::specialUp(int key, int, int) {
    keyboardKeys.release(KeyboardInput::SPECIAL + key);
}

void WelcomeScreen::activate() {
    reshape(windowWidth, windowHeight);
    const float black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    mode = MAIN_MENU;
    // The match just played may have left a record: the menu offers it from now on.
    std::vector<std::string> records = recordsIn(GameScreen::instance()->replayFolder);
    lastRecord = records.empty() ? "" : records.back();
    selected = std::min(selected, static_cast<int>(menuRows().size()) - 1);
    if (backFromOnline) // from the online screen, or a match it started
        selected = rowOf(PLAY_ONLINE);
    backFromOnline = false;
    // Keys, sticks and buttons held while another screen was current must not act here.
    keyboardKeys.releaseAll();
    JoystickManager::instance()->pollEvents();
    for (MenuInput& input : inputs)
        input.settle();
    keyboardInput.settle();
    padsConnected = connectedPads();
    playGameMusic(MusicId::MENU);
    AnimatedScreen::activate();
    scheduleNextFrame();
}

void WelcomeScreen::deactivate() {
    keyboardKeys.releaseAll();
    AnimatedScreen::deactivate();
}

std::vector<size_t> WelcomeScreen::settingRows() {
    std::vector<size_t> rows;
    for (size_t i = 0; i < Settings::keys().size(); ++i)
        if (Settings::keys()[i].label)
            rows.push_back(i);
    return rows;
}

// Up and down move between the rows (round from the last to the first), left and right change
// the value, button 0 moves it on like right, button 1 goes back.
void WelcomeScreen::handleSettingsInput(MenuInput& input) {
    std::vector<size_t> rows = settingRows();
    int count = static_cast<int>(rows.size());
    if (count == 0 || input.released(1)) {
        playInterfaceSound(SoundId::MENU_BACK);
        leaveSettings();
        return;
    }
    if (input.verticalChanged()) {
        selected = ((selected + input.y) % count + count) % count;
        if (input.y != 0)
            playInterfaceSound(SoundId::MENU_MOVE);
    }
    selected = std::min(std::max(selected, 0), count - 1);
    size_t key = rows[static_cast<size_t>(selected)];
    int direction = input.x != input.prevX ? input.x : 0;
    if (direction == 0 && input.released(0))
        direction = 1;
    if (direction != 0) {
        settings.change(key, direction);
        applySetting(key);
        // After the setting: a volume row is heard at its new volume.
        playInterfaceSound(SoundId::MENU_CHOOSE);
    }
}

// Full screen, the volumes and rumble take effect at once; antialiasing at the next start.
void WelcomeScreen::applySetting(size_t key) {
    AudioDevice* audio = gameAudio();
    if (key == Settings::indexOf("effects_volume") && audio)
        audio->setEffectsVolume(settings.at(key));
    if (key == Settings::indexOf("music_volume") && audio)
        audio->setMusicVolume(settings.at(key));
    if (key == Settings::indexOf("rumble"))
        setRumbleEnabled(settings.at(key) != 0);
    if (key == Settings::indexOf("fullscreen")) {
        bool wanted = settings.at(key) != 0;
        if (wanted != fullscreen) {
            fullscreen = wanted;
            platform().toggleFullScreen();
        }
    }
}

void WelcomeScreen::leaveSettings() {
    mode = MAIN_MENU;
    selected = 2; // back on "Settings"
    if (settings == settingsOnEntry)
        return;
    std::string error;
    if (saveSettings(settingsPath, settings, error)) {
        printf("Settings saved: %s\n", settingsPath.c_str());
    } else {
        message = "Settings not saved: " + error;
        printf("%s\n", printable(message).c_str());
    }
    fflush(stdout);
    settingsOnEntry = settings;
}

int WelcomeScreen::connectedPads() const {
    return static_cast<int>(JoystickManager::instance()->connectedGamepads().size());
}

// The status line names the pads; a pad that comes or goes is heard as well.
void WelcomeScreen::hearPads() {
    int now = connectedPads();
    if (now > padsConnected)
        playInterfaceSound(SoundId::PAD_PLUGGED);
    else if (now < padsConnected)
        playInterfaceSound(SoundId::PAD_UNPLUGGED);
    padsConnected = now;
}
