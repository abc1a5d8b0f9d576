#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform, audio and the layers below; no SDL.

#include <vector>

#include "audio/hearing.h"
#include "audio/soundid.h"
#include "world/worldevent.h"

class Match;
class Player;
class WorldCamera;

// The game screen as the ears need it: its match, its players in view order and what it shows.
struct MatchScreen {
    Match* match;                        // null before the first game
    const std::vector<Player*>& players; // in view order
    bool playerViews;                    // the split-screen views; else the overview
    const WorldCamera* overview;         // the overview camera; may be null
    float overviewFov;                   // degrees, vertical
};

// What a match sounds and feels like: after each tick it takes the world's events and plays
// each as a sound heard from the players' views (audio/hearing.h), shakes the pad of a tank
// that was hit or destroyed, ticks the countdown's last seconds, tells each view "You win!" or
// "You lose." when its message appears, and raises the match music when one tank is left
// against one. Reads the game screen (MatchScreen); changes nothing of the match, so a run sounds
// or not without playing any differently. Owns its scratch lists only.
class MatchSounds {
public:
    // A shell's blast up to this radius sounds small; bigger ones (a nuke's, a tank's end) big.
    static constexpr float SMALL_BLAST = 8.0f; // world units
    static constexpr int COUNTDOWN_TICKS = 5;  // the last seconds that tick aloud
    static constexpr float HIT_RUMBLE = 0.5f;  // strength 0..1
    static constexpr unsigned HIT_RUMBLE_MS = 200;
    static constexpr float DESTROYED_RUMBLE = 1.0f;
    static constexpr unsigned DESTROYED_RUMBLE_MS = 700;

    // After each tick of the screen's match.
    void afterTick(const MatchScreen& screen);

    // The ears of the screen as it is drawn now: a view a player (with or without a tank,
    // indexed as the players), or the overview's one full-window view.
    static std::vector<Listener> listeners(const MatchScreen& screen);

    // The sound a world event makes and how loud it starts (0..1) before the views hear it.
    static SoundId soundOf(const WorldEvent& event, float& loudness);

private:
    void hearEvents(const MatchScreen& screen, const std::vector<Listener>& views);
    void tellResults(const MatchScreen& screen, const std::vector<Listener>& views);
    void tickCountdown(const Match& match);
    void hearPads(const MatchScreen& screen, const std::vector<Listener>& views);

    // The match of the last tick; another one starts afresh. The game screen starts a new
    // MatchSounds with each game, as a new match may be made where the old one was.
    const Match* heardMatch = nullptr;
    int heardRound = 0;             // its round then
    std::vector<WorldEvent> events; // scratch, reused
    std::vector<int> messageShown;  // by player: 0 none, 1 "You win!", 2 "You lose."
    std::vector<char> padConnected; // by player, at the last tick: 1 connected
    int lastCountdownSecond = -1;   // the countdown's whole seconds at the last tick
};
