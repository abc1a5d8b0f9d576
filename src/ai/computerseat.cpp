#include "ai/computerseat.h"

#include "match/match.h"

ComputerSeat::ComputerSeat(const Match& match, int seatIndex, Difficulty difficulty)
    : Seat(nullptr), brain(match, seatIndex, difficulty) {
    gamepad = &brain; // the member exists only now
}

int addComputerSeats(Match& match, int count, Difficulty difficulty,
                     std::vector<std::unique_ptr<ComputerSeat>>& owner) {
    int joined = 0;
    while (joined < count && static_cast<int>(match.seats.size()) < MAX_PLAYERS) {
        int index = static_cast<int>(match.seats.size());
        owner.push_back(std::make_unique<ComputerSeat>(match, index, difficulty));
        match.addSeat(owner.back().get());
        ++joined;
    }
    return joined;
}
