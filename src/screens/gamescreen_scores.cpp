#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

#include "entities/tank.h"
#include "match/matchsetup.h"
#include "screens/gamescreen.h"
#include "screens/overlaytext.h"
#include "screens/shell.h"

namespace {

constexpr float SCORE_HEIGHT = 0.05f;  // of a view's height: a scoreboard line's capitals
constexpr float SCORE_SPACING = 1.7f;  // lines apart, in their height
constexpr float BOTTOM_MARGIN = 0.03f; // of a view's height, kept free under the scoreboard
const Vec3f WINNER_COLOUR(1.0f, 0.85f, 0.2f);
const Vec3f HEADING_COLOUR(0.75f, 0.9f, 1.0f);

} // namespace

bool GameScreen::showsScoreboard() const {
    return match && match->decided() && (!computers.empty() || match->settings.roundsToWin > 1);
}

std::string GameScreen::seatName(size_t seat) const {
    return (match->seats[seat]->computer() ? "Computer " : "Player ") + std::to_string(seat + 1);
}

// "Computer 3 wins" under the view's own label, for every view: a computer has no view of its
// own to say "You win!" in.
void GameScreen::drawWinnerLine(float) const {
    int winner = -1;
    for (size_t i = 0; i < match->seats.size(); ++i)
        if (match->seats[i]->won)
            winner = static_cast<int>(i);
    std::string text = winner < 0 ? "No one wins the round"
                                  : seatName(static_cast<size_t>(winner)) +
                                        (match->betweenRounds() ? " wins" : " wins the match");
    drawOutlinedText(text, 0.02f, 1.0f - 0.04f - 2 * LABEL_HEIGHT, LABEL_HEIGHT, WINNER_COLOUR);
}

// Every tank's wins, one line a seat in seat order, the round's winner in gold, under a heading
// that says what comes next; centred across the view, its first line at `top`.
void GameScreen::drawScoreboard(float aspect, float top) const {
    std::vector<std::string> lines;
    std::string heading;
    bool between = match->betweenRounds();
    if (between) {
        int seconds = static_cast<int>(std::ceil(std::max(0.0f, match->countdown)));
        heading = "Round " + std::to_string(match->round) + " - first to " +
                  std::to_string(match->settings.roundsToWin) + " - next in " +
                  std::to_string(seconds) + " s";
    } else {
        heading = "Final score";
    }
    for (size_t i = 0; i < match->seats.size(); ++i) {
        const Seat& seat = *match->seats[i];
        std::string colour = seat.tank ? colourName(seat.tank->colour) : std::string();
        std::string who = seat.computer() ? std::string(difficultyName(match->settings.difficulty))
                                          : (seat.gamepad ? seat.gamepad->name() : std::string());
        lines.push_back(seatName(i) + " " + colour + " (" + who +
                        "): " + std::to_string(match->wins[i]));
    }
    bool people = std::any_of(match->seats.begin(), match->seats.end(),
                              [](const Seat* seat) { return seat->gamepad && !seat->computer(); });
    std::string footer = between && people ? "Everyone press A (Enter) for the next round" : "";
    float height = SCORE_HEIGHT;
    float widest = overlayTextWidth(heading, height);
    for (const std::string& line : lines)
        widest = std::max(widest, overlayTextWidth(line, height));
    widest = std::max(widest, overlayTextWidth(footer, height));
    // Narrow views (six of them) get smaller text rather than lines cut at their edges.
    if (widest > aspect * 0.94f) {
        height *= aspect * 0.94f / widest;
        widest = aspect * 0.94f;
    }
    // Six seats and the footer under "You lose." would run off a short view's bottom: the
    // whole board gets smaller until it ends above it.
    float rows = static_cast<float>(lines.size()) + (footer.empty() ? 0.0f : 1.4f);
    float depth = height * SCORE_SPACING * rows;
    if (depth > top - BOTTOM_MARGIN && depth > 0) {
        float shrink = (top - BOTTOM_MARGIN) / depth;
        height *= shrink;
        widest *= shrink;
    }
    float x = (aspect - widest) / 2;
    float y = top;
    drawOutlinedText(heading, x, y, height, HEADING_COLOUR);
    for (size_t i = 0; i < lines.size(); ++i) {
        y -= height * SCORE_SPACING;
        drawOutlinedText(lines[i], x, y, height,
                         match->seats[i]->won ? WINNER_COLOUR : Vec3f(1, 1, 1));
    }
    if (!footer.empty())
        drawOutlinedText(footer, x, y - height * SCORE_SPACING * 1.4f, height, HEADING_COLOUR);
}

// The overview: with no player it is a demo of computer tanks, named in the corner, and the
// scoreboard between rounds.
void GameScreen::drawOverviewOverlay() const {
    if (!players.empty() && !showsScoreboard())
        return;
    float aspect = aspectRatio(windowWidth, windowHeight);
    glDepthRange(0.0, 0.05);
    overlayProjection(aspect);
    if (players.empty()) {
        std::string caption = std::to_string(computers.size()) + " computer tanks (" +
                              difficultyName(match->settings.difficulty) + ")";
        drawOutlinedText(caption, 0.02f, 1.0f - 0.02f - LABEL_HEIGHT, LABEL_HEIGHT);
    }
    if (showsScoreboard()) {
        drawWinnerLine(aspect);
        drawScoreboard(aspect, 0.62f);
    }
    glDepthRange(0.0, 1.0);
}
