#include "screens/matchsounds.h"

#include <cmath>

#include "audio/audiodevice.h"
#include "entities/tank.h"
#include "match/match.h"
#include "platform/window.h"
#include "screens/gamesound.h"
#include "screens/player.h"
#include "view/worldcamera.h"
#include "world/world.h"

namespace {

// Where a view's eye is for the overview camera: the camera's matrix is the rigid transform
// `transform` after a step back of `distance`, so the eye is that matrix's inverse applied to
// the origin, and the camera's axes are the rows of its turning part.
Listener overviewListener(const WorldCamera& camera, int width, int height, float fovY) {
    Matrix4f back = camera.transform.transpose(); // its turning part is R^T: R turns back
    auto rotateBack = [&back](float x, float y, float z) {
        Vec4f v(x, y, z, 0); // a direction: the translation stays out
        back.transform(v);
        return Vec3f(v.x(), v.y(), v.z());
    };
    Vec3f t(0, 0, 0);
    camera.transform.transformPoint(t);
    Vec3f eye = rotateBack(t[0], t[1], t[2] - camera.distance) * -1.0f;
    Listener view;
    view.eye = eye;
    view.lookPoint = eye + rotateBack(0, 0, -1);
    view.up = rotateBack(0, 1, 0);
    view.fovY = fovY;
    view.face = -1; // above the whole cube: no face is another one
    view.width = static_cast<float>(width);
    view.height = static_cast<float>(height);
    return view;
}

// The pan of a view's middle: a message for that player comes from where the player looks.
float panOfView(const Listener& view, float windowWidth) {
    if (windowWidth <= 0)
        return 0;
    return (view.x + view.width / 2) * 2 / windowWidth - 1;
}

} // namespace

std::vector<Listener> MatchSounds::listeners(const MatchScreen& screen) {
    std::vector<Listener> views;
    if (!screen.playerViews || screen.players.empty()) {
        if (screen.overview)
            views.push_back(
                overviewListener(*screen.overview, windowWidth, windowHeight, screen.overviewFov));
        return views;
    }
    for (const Player* player : screen.players) {
        Listener view;
        view.eye = player->camera.eye;
        view.lookPoint = player->camera.lookPoint;
        view.up = player->camera.up;
        view.fovY = player->camera.fov;
        view.face = player->tank ? player->tank->face : -1;
        view.x = static_cast<float>(player->viewportX);
        view.y = static_cast<float>(player->viewportY);
        view.width = static_cast<float>(player->viewportWidth);
        view.height = static_cast<float>(player->viewportHeight);
        views.push_back(view);
    }
    return views;
}

SoundId MatchSounds::soundOf(const WorldEvent& event, float& loudness) {
    switch (event.kind) {
    case WorldEventKind::SHELL_FIRED:
        loudness = 0.8f;
        return SoundId::SHOT_SINGLE;
    case WorldEventKind::TRIPLE_FIRED:
        loudness = 0.85f;
        return SoundId::SHOT_TRIPLE;
    case WorldEventKind::NUKE_FIRED:
        loudness = 0.9f;
        return SoundId::SHOT_NUKE;
    case WorldEventKind::BLAST:
        loudness = event.size <= SMALL_BLAST ? 0.9f : 1.0f;
        return event.size <= SMALL_BLAST ? SoundId::BLAST_SMALL : SoundId::BLAST_NUKE;
    case WorldEventKind::TANK_HIT:
        loudness = 1.0f;
        return SoundId::TANK_HIT;
    case WorldEventKind::TANK_DESTROYED:
        loudness = 1.0f;
        return SoundId::TANK_DESTROYED;
    case WorldEventKind::ITEM_PICKED_UP:
        loudness = 0.7f;
        return SoundId::ITEM_PICKUP;
    case WorldEventKind::HEALTH_USED:
        loudness = 0.7f;
        return SoundId::HEALTH_USED;
    case WorldEventKind::RANDOM_ROTATION:
        loudness = 0.8f;
        return SoundId::RANDOM_ROTATION;
    case WorldEventKind::LAYER_TURN_STARTED:
        loudness = 0.6f; // the grind lasts the quarter turn: one sound a turn
        return SoundId::LAYER_GRIND;
    case WorldEventKind::LAYER_TURN_LOCKED:
        loudness = 0.7f;
        return SoundId::LAYER_LOCK;
    }
    loudness = 0;
    return SoundId::LAYER_LOCK;
}

void MatchSounds::afterTick(const MatchScreen& screen) {
    if (!screen.match || !screen.match->world)
        return;
    if (heardMatch != screen.match || heardRound != screen.match->round) {
        // A new round tells its results anew.
        heardMatch = screen.match;
        heardRound = screen.match->round;
        messageShown.assign(screen.players.size(), 0);
        padConnected.clear();
        for (const Player* player : screen.players)
            padConnected.push_back(player->gamepad && player->gamepad->connected() ? 1 : 0);
        lastCountdownSecond = -1;
    }
    std::vector<Listener> views = listeners(screen);
    hearPads(screen, views);
    hearEvents(screen, views);
    tellResults(screen, views);
    tickCountdown(*screen.match);
    if (AudioDevice* device = gameAudio()) {
        // A duel from the start is no climax: the music rises when a bigger match comes down to
        // two.
        int left = 0;
        for (const Player* player : screen.players)
            left += player->alive;
        bool finalDuel = screen.players.size() > 2 && left == 2;
        device->setMusicIntensity(finalDuel ? 1.0f : 0.0f);
    }
}

void MatchSounds::hearEvents(const MatchScreen& screen, const std::vector<Listener>& views) {
    screen.match->world->takeEvents(events);
    for (const WorldEvent& event : events) {
        SoundPlace place;
        place.position = event.position;
        place.face = event.face;
        SoundId sound = soundOf(event, place.loudness);
        Heard heard = hear(views, static_cast<float>(windowWidth), place);
        // The overview's one view is no player's: the trace names the player that heard it.
        int view = screen.playerViews ? heard.view : -1;
        playHeardSound(sound, heard.gain, heard.pan, view);
        bool hit = event.kind == WorldEventKind::TANK_HIT;
        if (!hit && event.kind != WorldEventKind::TANK_DESTROYED)
            continue;
        for (Player* player : screen.players)
            if (player->tank && player->tank == event.object && player->gamepad)
                rumbleSource(*player->gamepad, hit ? HIT_RUMBLE : DESTROYED_RUMBLE,
                             hit ? HIT_RUMBLE_MS : DESTROYED_RUMBLE_MS);
    }
}

// A pad unplugged leaves its tank standing; its player hears it go, and come back, in its view.
void MatchSounds::hearPads(const MatchScreen& screen, const std::vector<Listener>& views) {
    padConnected.resize(screen.players.size(), 0);
    for (size_t i = 0; i < screen.players.size(); ++i) {
        // A destroyed tank's seat no longer reads its source (a replay no longer feeds it):
        // its pad is nobody's concern until the next round.
        if (!screen.players[i]->listening())
            continue;
        const InputSource* source = screen.players[i]->gamepad;
        bool now = source && source->connected();
        if (now == (padConnected[i] != 0))
            continue;
        padConnected[i] = now ? 1 : 0;
        bool ownView = screen.playerViews && i < views.size();
        float pan = ownView ? panOfView(views[i], static_cast<float>(windowWidth)) : 0.0f;
        playHeardSound(now ? SoundId::PAD_PLUGGED : SoundId::PAD_UNPLUGGED, 1.0f, pan,
                       ownView ? static_cast<int>(i) : -1);
    }
}

void MatchSounds::tellResults(const MatchScreen& screen, const std::vector<Listener>& views) {
    messageShown.resize(screen.players.size(), 0);
    for (size_t i = 0; i < screen.players.size(); ++i) {
        const Player& player = *screen.players[i];
        if (!player.tank)
            continue;
        int shown = player.won ? 1 : player.tank->getHealth() <= 0 ? 2 : 0;
        if (shown == 0 || shown == messageShown[i])
            continue;
        messageShown[i] = shown;
        SoundId sound = shown == 1 ? SoundId::YOU_WIN : SoundId::YOU_LOSE;
        bool ownView = screen.playerViews && i < views.size();
        float pan = ownView ? panOfView(views[i], static_cast<float>(windowWidth)) : 0.0f;
        playHeardSound(sound, 1.0f, pan, ownView ? static_cast<int>(i) : -1);
    }
}

void MatchSounds::tickCountdown(const Match& match) {
    if (!match.decided()) {
        lastCountdownSecond = -1;
        return;
    }
    int second = static_cast<int>(std::ceil(match.countdown));
    if (lastCountdownSecond >= 0 && second < lastCountdownSecond && second <= COUNTDOWN_TICKS &&
        second >= 1)
        playInterfaceSound(SoundId::COUNTDOWN_TICK);
    lastCountdownSecond = second;
}
