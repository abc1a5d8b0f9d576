#include <GL/gl.h>
#include <cstdio>

#include "math/text.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "replay/statehash.h"
#include "screens/gamescreen.h"
#include "screens/overlaytext.h"
#include "screens/shell.h"
#include "world/world.h"

namespace {

constexpr float ONLINE_DT = 1.0f / 60; // every machine plays the same fixed ticks
// Ticks a frame may play while this machine catches up with the others: a few after a stall,
// many when it came back to a match that went on (then it is not heard, or it would roar).
constexpr int MAX_TICKS_A_FRAME = 4;
constexpr int FAR_BEHIND = 60; // ticks
constexpr int MAX_TICKS_A_FRAME_FAR = 240;
constexpr float OVERVIEW_FOV = 65.0f; // degrees, as a match's overview
// Frames a stopped online match stays on the screen, saying why, before the menu comes back.
constexpr int STOP_SHOWN = 300;

} // namespace

bool GameScreen::startOnline(std::unique_ptr<net::OnlineSession> session,
                             const std::vector<InputSource*>& localPads, std::string& error) {
    const net::Start& start = session->start();
    auto next =
        std::make_unique<Match>(start.header.level, start.header.settings, start.header.seed);
    if (!next->world) {
        error = "the host's level \"" + start.header.level.name + "\" cannot be played here";
        return false;
    }
    endGame();
    match = next.release();
    size_t nextLocal = 0;
    onlineInputs.resize(start.header.seats.size());
    for (size_t seat = 0; seat < start.header.seats.size(); ++seat) {
        const RecordedSeat& recorded = start.header.seats[seat];
        uint8_t machine = start.seatMachines[seat];
        if (machine == net::NO_MACHINE) {
            computers.push_back(std::make_unique<ComputerSeat>(*match, static_cast<int>(seat),
                                                               recorded.difficulty));
            match->addSeat(computers.back().get());
            continue;
        }
        bool local = machine == session->self();
        InputSource* pad = local && nextLocal < localPads.size() ? localPads[nextLocal++] : nullptr;
        onlineInputs[seat] =
            std::make_unique<NetSeatInput>(recorded.name, seatKindName(recorded.kind), pad);
        if (local) {
            players.push_back(new Player(onlineInputs[seat].get()));
            match->addSeat(players.back());
        } else {
            remoteSeats.push_back(std::make_unique<Seat>(onlineInputs[seat].get()));
            match->addSeat(remoteSeats.back().get());
        }
    }
    layOutPlayers();
    overviewCamera = new WorldCamera();
    overviewCamera->zoomToFit(match->world->halfExtent(), OVERVIEW_FOV);
    viewMode = players.empty() ? 0 : 1;
    online = std::move(session);
    onlineTick = 0;
    onlineStoppedFrames = 0;
    startRecording();
    return true;
}

// The ticks every machine's controls allow: this machine's controls go out first, a tick plays
// once everyone's are here, and a machine that fell behind plays a few more to catch up.
void GameScreen::tickOnline() {
    online->service(onlineTick);
    for (const std::string& line : online->takeMessages())
        printf("%s\n", printable(line).c_str()); // names come from other machines
    if (online->phase() == net::OnlineSession::Phase::STOPPED) {
        if (onlineStoppedFrames++ == 0) {
            std::string kept = recorder ? recorder->path() : std::string();
            stopRecording();
            if (!kept.empty())
                printf("The match so far is kept in %s\n", kept.c_str());
            fflush(stdout);
        }
        if (onlineStoppedFrames == STOP_SHOWN && returnScreen)
            switchScreen(returnScreen);
        platform().postRedisplay();
        return;
    }
    int most = online->lag(onlineTick) > FAR_BEHIND ? MAX_TICKS_A_FRAME_FAR : MAX_TICKS_A_FRAME;
    for (int i = 0; i < most; ++i) {
        std::vector<ControlState> local;
        for (const auto& input : onlineInputs)
            if (input && input->pad())
                local.push_back(readControls(*input->pad()));
        online->schedule(onlineTick, local);
        if (!online->ready(onlineTick))
            break;
        Match::Step step = playOnlineTick();
        if (step == Match::Step::OVER) {
            if (returnScreen)
                switchScreen(returnScreen);
            break;
        }
        if (online->lag(onlineTick) <= 0)
            break;
        online->service(onlineTick);
    }
    online->sendInputs(onlineTick);
    platform().postRedisplay();
}

Match::Step GameScreen::playOnlineTick() {
    for (size_t seat = 0; seat < onlineInputs.size(); ++seat)
        if (onlineInputs[seat])
            onlineInputs[seat]->controls = online->controls(onlineTick, static_cast<int>(seat));
    if (recorder)
        recorder->beforeTick();
    for (const MatchEdit& edit : online->editsAt(onlineTick)) {
        std::string error;
        if (!applyMatchEdit(*match, edit, error))
            printf("The edit was not made: %s\n", error.c_str()); // on every machine alike
        else if (recorder)
            recorder->noteEdit(edit);
    }
    Match::Step step = match->tick(ONLINE_DT);
    ++onlineTick;
    if (onlineTick % net::HASH_INTERVAL == 0)
        online->hashAfter(onlineTick, hashMatchState(*match));
    afterMatchTick(step, ONLINE_DT, online->lag(onlineTick) <= FAR_BEHIND);
    return step;
}

// "Waiting for NAME...", or why the match stopped, across the top of the window.
void GameScreen::drawOnlineStatus() const {
    std::string text = printable(online->stopMessage());
    if (text.empty())
        text = printable(online->waitingText());
    if (text.empty())
        return;
    float aspect = windowHeight > 0 ? static_cast<float>(windowWidth) / windowHeight : 1.0f;
    glViewport(0, 0, windowWidth, windowHeight);
    overlayProjection(aspect);
    const float height = 0.04f; // of the window's height
    float width = overlayTextWidth(text, height);
    drawOutlinedText(text, (aspect - width) / 2, 0.5f, height, Vec3f(1, 0.9f, 0.3f));
}
