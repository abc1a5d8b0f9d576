#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <memory>
#include <string>
#include <vector>

#include "ai/computerseat.h"
#include "input/keyboardinput.h"
#include "match/match.h"
#include "screens/animatedscreen.h"
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
class GameScreen : public AnimatedScreen {
public:
    static constexpr float COUNTDOWN = Match::COUNTDOWN; // seconds from the decision to the menu
    static constexpr int MAX_PLAYERS = ::MAX_PLAYERS;
    static constexpr float LABEL_HEIGHT = 0.045f; // of a view's height: the label's capitals

    static GameScreen* instance(); // created on first request, never freed

    // A new game on the level file at `levelPath`, or on a new 3x3x3 cube of cubie edge 28 for
    // the empty path: one player per gamepad, then the keyboard player when `withKeyboard` (or
    // when no pad is connected and no computer tank is asked for), then the computer tanks of
    // `setup`, at most six in all. False, with the previous game kept, when the level cannot be
    // loaded.
    bool startGame(std::string levelPath, bool withKeyboard = false,
                   const MatchSettings& setup = MatchSettings());
    // Releases the game: world, players, overview camera.
    void endGame();

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

private:
    GameScreen();
    void createPlayers(bool withKeyboard);
    void layOutPlayers();
    void bindPlayers();
    void followTanks();
    void drawPlayerView(Player& player);
    void drawOverlay(const Player& player, float aspect);
    void drawLabel(const Player& player, float aspect) const;
    void addSeatFields(TraceLine& line, const Seat& seat, const Player* player) const;
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
};

// Smoke particles of the game's tuning keys ("w" / "d"); nothing else reads it yet.
extern int smokeParticles;
