#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <memory>
#include <vector>

#include "ai/computerplayer.h"
#include "match/seat.h"

// A seat at a match that a computer drives: the seat and its computer player in one. Owns the
// player; the match it plays in must outlive it. Has no view: the game screen shows computer
// tanks only in the players' views (and names them when they win).
class ComputerSeat : public Seat {
public:
    // The seat the match will give number `seatIndex` (the next addSeat).
    ComputerSeat(const Match& match, int seatIndex, Difficulty difficulty);

    ComputerPlayer brain;
};

// Adds up to `count` computer seats of `difficulty` after the seats already at `match`, as many
// as leave no more than six tanks in all, and hands them to `owner`. Returns how many joined.
int addComputerSeats(Match& match, int count, Difficulty difficulty,
                     std::vector<std::unique_ptr<ComputerSeat>>& owner);
