#include "screens/onlinescreen.h"

#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "input/joystickmanager.h"
#include "math/text.h"
#include "platform/platform.h"
#include "platform/traceline.h"
#include "platform/window.h"
#include "screens/gamescreen.h"
#include "screens/overlaytext.h"
#include "screens/shell.h"

namespace {

unsigned int clockSeed() {
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<unsigned int>(now ^ (now >> 32));
}

constexpr unsigned char ENTER = 13;
constexpr unsigned char ESCAPE = 27;

} // namespace

std::string machineName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "Machine";
    return printable(name);
}

OnlineScreen* OnlineScreen::instance() {
    static OnlineScreen* screen = new OnlineScreen();
    return screen;
}

// The pads plugged in now, at most six, or the keyboard when there is none.
std::vector<RecordedSeat> OnlineScreen::takeLocalPlayers() {
    localPads.clear();
    std::vector<RecordedSeat> seats;
    for (Gamepad* pad : JoystickManager::instance()->connectedGamepads()) {
        if (seats.size() == MAX_PLAYERS)
            break;
        localPads.push_back(pad);
        seats.push_back(RecordedSeat{SeatKind::PAD, pad->name(), Difficulty::NORMAL});
    }
    if (seats.empty()) {
        KeyboardInput& keys = GameScreen::instance()->keyboardKeys;
        keys.releaseAll();
        localPads.push_back(&keys);
        seats.push_back(RecordedSeat{SeatKind::KEYBOARD, keys.name(), Difficulty::NORMAL});
    }
    return seats;
}

// Buttons already held when the screen comes count as held, not pressed.
std::vector<OnlineScreen::Held> OnlineScreen::buttonsNow() const {
    std::vector<Held> held;
    for (InputSource* pad : localPads)
        held.push_back({pad->button(1), pad->button(0)});
    return held;
}

bool OnlineScreen::host(uint16_t port, LevelSource hostLevel, MatchSettings hostSettings,
                        int wanted, std::string& error) {
    session = net::OnlineSession::host(port, machineName(), takeLocalPlayers(), gameVersion, error);
    if (!session)
        return false;
    level = std::move(hostLevel);
    settings = hostSettings;
    machinesWanted = wanted;
    ended.clear();
    printf("Hosting on port %u: joiners connect to this machine's address on UDP port %u.\n",
           session->port(), session->port());
    fflush(stdout);
    return true;
}

bool OnlineScreen::join(const std::string& hostAddress, uint16_t port, std::string& error) {
    session = net::OnlineSession::join(hostAddress, port, machineName(), takeLocalPlayers(),
                                       gameVersion, error);
    if (!session)
        return false;
    address = hostAddress + ":" + std::to_string(port);
    ended.clear();
    printf("Joining %s\n", printable(address).c_str());
    fflush(stdout);
    return true;
}

void OnlineScreen::leave() {
    session.reset();
    if (returnScreen)
        switchScreen(returnScreen);
}

void OnlineScreen::activate() {
    heldButtons = buttonsNow();
    AnimatedScreen::activate();
}

void OnlineScreen::tick() {
    platform().postRedisplay();
    if (!session)
        return;
    JoystickManager::instance()->pollEvents();
    session->service(0);
    for (const std::string& line : session->takeMessages())
        printf("%s\n", printable(line).c_str());
    fflush(stdout);
    using Phase = net::OnlineSession::Phase;
    if (session->phase() == Phase::STOPPED) {
        ended = session->stopMessage();
        session.reset();
        return;
    }
    if (session->phase() == Phase::PLAYING) {
        enterMatch();
        return;
    }
    if (session->hosting() && machinesWanted > 0 &&
        static_cast<int>(session->machines().size()) >= machinesWanted)
        startMatch();
    // A pad's button 0 starts the match on the host, its button 1 leaves: pressed here, not
    // still held from the menu that chose to host.
    heldButtons.resize(localPads.size());
    for (size_t i = 0; i < localPads.size(); ++i) {
        InputSource* pad = localPads[i];
        if (pad == &GameScreen::instance()->keyboardKeys)
            continue;
        pad->update();
        bool back = pad->button(1), start = pad->button(0);
        bool pressedBack = back && !heldButtons[i].back,
             pressedStart = start && !heldButtons[i].start;
        heldButtons[i] = {back, start};
        if (pressedBack) {
            leave();
            return;
        }
        if (pressedStart && session && session->hosting())
            startMatch();
    }
}

void OnlineScreen::startMatch() {
    if (!session || !session->hosting() || session->phase() != net::OnlineSession::Phase::LOBBY)
        return;
    std::string error;
    uint32_t seed = matchSeed ? *matchSeed : clockSeed();
    if (!session->startMatch(level, settings, seed, error)) {
        printf("%s\n", error.c_str());
        return;
    }
    enterMatch();
}

void OnlineScreen::enterMatch() {
    GameScreen* game = GameScreen::instance();
    std::string error;
    if (!game->startOnline(std::move(session), localPads, error)) {
        ended = error;
        printf("%s\n", printable(error).c_str());
        fflush(stdout);
        return;
    }
    game->returnScreen = returnScreen;
    switchScreen(game);
}

void OnlineScreen::keyboard(unsigned char key, int, int) {
    if (key == ESCAPE)
        leave();
    else if (key == ENTER || key == '\n')
        startMatch();
}

std::string OnlineScreen::statusText() const {
    if (!ended.empty())
        return ended;
    if (!session)
        return "";
    using Phase = net::OnlineSession::Phase;
    if (session->phase() == Phase::CONNECTING)
        return "Joining " + address + "...";
    if (!session->hosting())
        return "Joined: waiting for the host to start the match.";
    size_t count = session->machines().size();
    std::string text = "Hosting on port " + std::to_string(session->port()) + ": " +
                       std::to_string(count) + " machine" + (count == 1 ? "" : "s");
    return machinesWanted > 0 ? text + " of " + std::to_string(machinesWanted) : text;
}

// What the player can do now, under the status.
std::string OnlineScreen::hintText() const {
    if (session && session->hosting() && machinesWanted == 0)
        return "Enter or button 0 starts the match";
    return "";
}

void OnlineScreen::display() {
    glClearColor(0.05f, 0.1f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    float aspect = windowHeight > 0 ? static_cast<float>(windowWidth) / windowHeight : 1.0f;
    glViewport(0, 0, windowWidth, windowHeight);
    overlayProjection(aspect); // leaves the model-view matrix on the overlay's plane
    // A line from x at `height`, or lower where it would run out of the window.
    auto fitting = [aspect](const std::string& text, float x, float height) {
        float width = overlayTextWidth(text, height);
        float room = aspect - x - 0.04f;
        return width > room && width > 0 ? height * room / width : height;
    };
    std::string status = printable(statusText());
    drawOutlinedText("Play Online", 0.06f, 0.85f, 0.07f, Vec3f(1, 0.9f, 0.3f));
    drawOutlinedText(status, 0.06f, 0.68f, fitting(status, 0.06f, 0.035f));
    drawOutlinedText(hintText(), 0.06f, 0.61f, fitting(hintText(), 0.06f, 0.03f),
                     Vec3f(0.7f, 0.9f, 1));
    float y = 0.5f;
    if (session)
        for (const net::OnlineSession::Machine& machine : session->machines()) {
            std::string line = printable(machine.name);
            if (!machine.seats.empty())
                line += ": " + std::to_string(machine.seats.size()) + " player" +
                        (machine.seats.size() == 1 ? "" : "s");
            drawOutlinedText(line, 0.1f, y, fitting(line, 0.1f, 0.03f));
            y -= 0.06f;
        }
    drawOutlinedText("Escape: back", 0.06f, 0.06f, 0.025f, Vec3f(0.7f, 0.7f, 0.7f));
    glFlush();
    presentFrame();
    scheduleNextFrame();
}

void OnlineScreen::addTraceFields(TraceLine& line) const {
    line.add("status", statusText());
    line.add("machines", session ? static_cast<int>(session->machines().size()) : 0);
}
