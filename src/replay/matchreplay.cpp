#include "replay/matchreplay.h"

#include "replay/computerseats.h"
#include "replay/statehash.h"

MatchReplay::MatchReplay(std::shared_ptr<const MatchRecord> record) : record(std::move(record)) {}

std::unique_ptr<MatchReplay> MatchReplay::open(std::shared_ptr<const MatchRecord> record,
                                               std::string& error) {
    std::unique_ptr<MatchReplay> replay(new MatchReplay(record));
    const std::vector<RecordedSeat>& seats = record->header.seats;
    for (size_t i = 0; i < seats.size(); ++i) {
        const RecordedSeat& seat = seats[i];
        ReplayInput* input = nullptr;
        if (seat.kind == SeatKind::PAD || seat.kind == SeatKind::KEYBOARD) {
            input = new ReplayInput(seat.name, seatKindName(seat.kind));
            replay->sources.emplace_back(input);
        } else {
            if (seat.kind == SeatKind::COMPUTER && !computerPlayerMaker()) {
                error = "player " + std::to_string(i + 1) +
                        " is a computer player, and this game cannot make computer players to "
                        "replay them";
                return nullptr;
            }
            replay->sources.emplace_back();
        }
        replay->replayed.push_back(input);
    }
    return replay;
}

std::unique_ptr<Match> MatchReplay::newMatch(std::string& error) const {
    const RecordHeader& header = record->header;
    auto match = std::make_unique<Match>(header.level, header.settings, header.seed);
    if (!match->world) {
        error = "its level \"" + header.level.name + "\" does not build a world";
        return nullptr;
    }
    return match;
}

InputSource* MatchReplay::source(int seat) const {
    if (seat < 0 || seat >= static_cast<int>(sources.size()))
        return nullptr;
    return sources[static_cast<size_t>(seat)].get();
}

bool MatchReplay::begin(Match& match, std::string& error) {
    const std::vector<RecordedSeat>& seats = record->header.seats;
    if (match.seats.size() != seats.size()) {
        error = "the match has " + std::to_string(match.seats.size()) + " seats, the record " +
                std::to_string(seats.size());
        return false;
    }
    for (size_t i = 0; i < seats.size(); ++i) {
        if (seats[i].kind != SeatKind::COMPUTER)
            continue;
        sources[i] = computerPlayerMaker()(match, static_cast<int>(i), seats[i].difficulty);
        if (!sources[i]) {
            error = "player " + std::to_string(i + 1) + ", a computer player, cannot be made";
            return false;
        }
        match.seats[i]->gamepad = sources[i].get();
    }
    compareHash(match);
    return true;
}

void MatchReplay::differ(int tick, const std::string& what) {
    if (!difference.empty())
        return;
    differentTick = tick;
    difference = what;
}

void MatchReplay::compareHash(const Match& match) {
    const std::vector<RecordedHash>& hashes = record->hashes;
    if (nextHash >= hashes.size() || hashes[nextHash].tick != played)
        return;
    uint32_t hash = static_cast<uint32_t>(hashMatchState(match)); // what a record keeps
    ++checked;
    if (hash == hashes[nextHash].hash) {
        if (difference.empty())
            agreeingTick = played;
    } else {
        differ(played,
               "the state after tick " + std::to_string(played) + " is not the recorded one");
    }
    ++nextHash;
}

Match::Step MatchReplay::step(Match& match) {
    const std::vector<TimedEdit>& edits = record->edits;
    for (; nextEdit < edits.size() && edits[nextEdit].tick == played; ++nextEdit) {
        std::string error;
        if (!applyMatchEdit(match, edits[nextEdit].edit, error))
            differ(played, "the edit before tick " + std::to_string(played + 1) +
                               " cannot be made: " + error);
    }
    const std::vector<SeatChange>& changes = record->changes;
    for (; nextChange < changes.size() && changes[nextChange].tick == played; ++nextChange) {
        const SeatChange& change = changes[nextChange];
        if (ReplayInput* input = replayed[static_cast<size_t>(change.seat)])
            input->controls = change.controls;
    }
    dt = record->dts[static_cast<size_t>(played)];
    Match::Step step = match.tick(dt);
    ++played;
    compareHash(match);
    return step;
}

bool verifyRecord(std::shared_ptr<const MatchRecord> record, Verification& result,
                  std::string& error) {
    std::unique_ptr<MatchReplay> replay = MatchReplay::open(record, error);
    if (!replay)
        return false;
    std::unique_ptr<Match> match = replay->newMatch(error);
    if (!match)
        return false;
    std::vector<std::unique_ptr<Seat>> seats;
    for (size_t i = 0; i < record->header.seats.size(); ++i) {
        seats.push_back(std::make_unique<Seat>(replay->source(static_cast<int>(i))));
        match->addSeat(seats.back().get());
    }
    match->seatTanks();
    bool ok = replay->begin(*match, error);
    while (ok && !replay->atEnd() && !replay->differs())
        replay->step(*match);
    match.reset(); // before the seats it lets go of
    result.ticks = replay->ticksPlayed();
    result.hashesChecked = replay->hashesChecked();
    result.differs = replay->differs();
    result.firstDifferentTick = replay->firstDifferentTick();
    result.lastAgreeingTick = replay->lastAgreeingTick();
    result.difference = replay->differenceText();
    return ok;
}
