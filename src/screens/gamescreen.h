#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ai/computerseat.h"
#include "input/keyboardinput.h"
#include "match/match.h"
#include "net/netseatinput.h"
#include "net/onlinesession.h"
#include "replay/matchedit.h"
#include "replay/matchrecorder.h"
#include "replay/matchreplay.h"
#include "replay/replaypace.h"
#include "screens/animatedscreen.h"
#include "screens/matchsounds.h"
#include "screens/player.h"
#include "view/worldcamera.h"

class World;

// The match as the players see it: a match (match/match.h) on a level file (or the default
// 3x3x3 cube), one player per gamepad, at most six, each with a tank, a following camera, a
// heads-up display and a share of the window, and after them the computer tanks the setup asks
// for, on the faces the players leave free (they have no view). All ticked by one frame timer.
// With no player at all the match plays on the overview camera: a demo. Owns the match, the
// players, the computer seats and the overview camera; a new game releases the previous ones.
// When the match is over (its countdown has run out), the program returns to the screen it
// came from.
//
// A match may be recorded as it is played (recordPath), and a record watched again
// (startReplay): its seats become the players, its inputs drive everything, and the keyboard
// pauses (Space), steps (Right, while paused) and changes the speed (Up, Down).
//
// An online match (startOnline) is played from every machine's inputs in lockstep: this
// machine's players have views, the other machines' seats and the computers none; every tick
// is 1/60 s, and none runs until every machine's controls for it are there.
class GameScreen : public AnimatedScreen {
public:
    static constexpr float COUNTDOWN = Match::COUNTDOWN; // seconds from the decision to the menu
    static constexpr int MAX_PLAYERS = ::MAX_PLAYERS;
    static constexpr float OVERVIEW_FOV = 65.0f;  // degrees, the overview's vertical view
    static constexpr float LABEL_HEIGHT = 0.045f; // of a view's height: the label's capitals

    static GameScreen* instance(); // created on first request, never freed

    // A new game on the level file at `levelPath`, or on a new 3x3x3 cube of cubie edge 28 for
    // the empty path: one player per gamepad, then the keyboard player when `withKeyboard` (or
    // when no pad is connected and no computer tank is asked for), then the computer tanks of
    // `setup`, at most six in all. False, with the previous game kept, when the level cannot be
    // loaded.
    bool startGame(std::string levelPath, bool withKeyboard = false,
                   const MatchSettings& setup = MatchSettings());
    // Releases the game: world, players, overview camera; a record being made is finished.
    void endGame();

    // Watching a record: a new game of the record's match, a player per recorded seat (the
    // overview camera when there are none), driven by the record alone. False, with `error`,
    // and the previous game kept, when it cannot be replayed.
    bool startReplay(std::shared_ptr<const MatchRecord> record, std::string& error);
    bool watching() const { return replay != nullptr; }

    // An online match that `session` has started: a seat per seat of its start, in its order;
    // this machine's are driven by `localPads` (its seats' sources, in seat order) through the
    // lockstep. The screen owns the session from then on. False, with `error`, and the
    // previous game kept, when the host's level cannot be played.
    bool startOnline(std::unique_ptr<net::OnlineSession> session,
                     const std::vector<InputSource*>& localPads, std::string& error);
    bool playingOnline() const { return online != nullptr; }

    // Makes an edit in the running match and records it. False, with `error`, when it cannot be
    // made (or while watching, which takes no edits).
    bool editMatch(const MatchEdit& edit, std::string& error);

    void display() override;
    void reshape(int width, int height) override;
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    // Another window took the keyboard: its key releases will never come here.
    void keyboardFocusLost() override { keyboardKeys.releaseAll(); }
    void activate() override;
    void deactivate() override;
    const char* traceName() const override { return "game"; }
    void addTraceFields(TraceLine& line) const override;

    // One tick of the frame timer: controls, the countdown, the world, the cameras.
    void tick() override;

    // The current round's world, or null before the first game.
    World* world() const { return match ? match->world : nullptr; }

    Match* match = nullptr;                // owned; null before the first game
    int viewMode = 1;                      // 1 split-screen player views, 0 the overview camera
    WorldCamera* overviewCamera = nullptr; // owned
    std::vector<Player*> players;          // owned, in view order
    std::vector<std::unique_ptr<ComputerSeat>> computers; // seated after the players
    Screen* returnScreen = nullptr; // where a finished match goes; the first screen by default
    KeyboardInput keyboardKeys;     // the keyboard player's controls, read like a pad
    MatchSounds sounds;             // what the match sounds like, heard from the views

    // The seed of every match, when one is given (--seed); otherwise each match takes one from
    // the clock.
    std::optional<unsigned int> matchSeed;
    // Where to record the match a startGame begins (--record); an empty path (or none) leaves
    // it to replayFolder.
    std::function<std::string()> recordPath;
    // The player's replays folder, where every other match is recorded and the newest
    // MATCHES_KEPT are kept; empty for nowhere (no home). A record that cannot be made there
    // is said so and the match plays on.
    std::string replayFolder;
    std::string gameVersion;                 // what records are marked with
    std::unique_ptr<MatchRecorder> recorder; // the running match's, or null
    // Whether a record recordPath asked for could not be made or written.
    bool recordingFailed = false;

    std::unique_ptr<MatchReplay> replay; // the record being watched, or null
    ReplayPace pace;                     // how fast it is watched

    std::unique_ptr<net::OnlineSession> online; // the online match's, or null
    // By seat of an online match: what the lockstep feeds it; null for a computer seat.
    std::vector<std::unique_ptr<NetSeatInput>> onlineInputs;
    std::vector<std::unique_ptr<Seat>> remoteSeats; // the other machines' seats, no view
    int onlineTick = 0;                             // ticks of the online match played

private:
    GameScreen();
    void createPlayers(bool withKeyboard);
    void layOutPlayers();
    void bindPlayers();
    void turnWheels(); // a step of every player's item wheel towards its selected item
    void followTanks();
    void drawPlayerView(Player& player);
    void drawOverlay(const Player& player, float aspect);
    void drawLabel(const Player& player, float aspect) const;
    // `machine`: an online seat's machine, ANY_MACHINE for an online computer seat, or
    // NOT_ONLINE for no such field.
    static constexpr int NOT_ONLINE = -2, ANY_MACHINE = -1;
    void addSeatFields(TraceLine& line, const Seat& seat, const Player* player,
                       int machine = NOT_ONLINE) const;
    // Between rounds and at the end of a match with computers or several rounds: who won the
    // round, every tank's wins, what comes next.
    bool showsScoreboard() const;
    void drawScoreboard(float aspect, float top) const;
    void drawWinnerLine(float aspect) const;
    void drawOverviewOverlay() const;
    // "Player 2", "Computer 3": a seat as the scoreboard names it.
    std::string seatName(size_t seat) const;
    void overviewProjection() const;
    bool cameraKey(unsigned char key);
    bool lightKey(unsigned char key);
    void addTestObstacles();
    void giveItems(int kind);
    void tickReplay();
    bool replayKey(unsigned char key);
    bool replaySpecial(int key);
    void drawReplayStatus() const;
    void addReplayTraceFields(TraceLine& line) const;
    void startRecording();
    void stopRecording();
    void afterMatchTick(Match::Step step, float dt, bool heard);
    void tickOnline();
    Match::Step playOnlineTick();
    void drawOnlineStatus() const;
    void addOnlineTraceFields(TraceLine& line) const;

    bool recordingAsked = false; // the running record is recordPath's, whose failure counts
    bool replayEnded = false;    // a frame found no tick left to play
    bool differenceTold = false; // the replay's first difference has been printed
    int onlineStoppedFrames = 0; // since the online match stopped (its record kept at the first)
};

// Smoke particles of the game's tuning keys ("w" / "d"); nothing else reads it yet.
extern int smokeParticles;
