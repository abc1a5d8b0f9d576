#include "entities/tank.h"
#include "platform/traceline.h"
#include "screens/gamescreen.h"
#include "world/world.h"

namespace {

int countOfType(const World& world, int type) {
    int count = 0;
    for (const Object* object : world.allObjects)
        count += object->type == type;
    return count;
}

} // namespace

// A match as the trace shows it: the countdown and the world's state, then each player.
void GameScreen::addTraceFields(TraceLine& line) const {
    if (!world())
        return;
    line.add("countdown", static_cast<double>(match->countdown));
    line.add("rotating", world()->isRotating);
    line.add("itemBoxes", world()->itemCount);
    line.add("objects", static_cast<int>(world()->allObjects.size()));
    line.add("shells", countOfType(*world(), PROJECTILE));
    line.add("explosions", countOfType(*world(), EXPLOSION));
    line.add("round", match->round);
    line.beginArray("wins");
    for (int won : match->wins)
        line.add(nullptr, won);
    line.end();
    if (online) {
        addOnlineTraceFields(line);
        return;
    }
    // The players in view order, then the computer tanks: the seats' order.
    line.beginArray("players");
    for (const Player* player : players)
        addSeatFields(line, *player, player);
    for (const auto& computer : computers)
        addSeatFields(line, *computer, nullptr);
    line.end();
    addReplayTraceFields(line);
}

// One seat: its source and, while it has one, its tank; the item wheel only for a player's
// view.
void GameScreen::addSeatFields(TraceLine& line, const Seat& seat, const Player* player,
                               int machine) const {
    line.beginObject();
    if (machine >= 0)
        line.add("machine", machine);
    else if (machine == ANY_MACHINE)
        line.addNull("machine");
    line.add("alive", seat.alive);
    line.add("won", seat.won);
    line.add("input", seat.gamepad ? seat.gamepad->name() : std::string());
    line.add("kind", seat.gamepad ? seat.gamepad->kind() : "none");
    if (const Tank* tank = seat.tank) {
        line.add("health", tank->getHealth());
        line.add("face", tank->face);
        line.beginArray("position");
        for (int axis = 0; axis < 3; ++axis)
            line.add(nullptr, static_cast<double>(tank->position[axis]));
        line.end();
        line.beginArray("items");
        for (const Item* item : tank->items) {
            if (item)
                line.add(nullptr, item->kind);
            else
                line.addNull(nullptr);
        }
        line.end();
        line.add("current", tank->currentItem);
        // Radians, as far as the wheel has turned: a step a tick towards the current item.
        if (player)
            line.add("wheel", static_cast<double>(player->hud.wheelAngle));
    }
    line.end();
}

// An online match: the ticks of the match played (the frames may be more: a frame waits for
// the other machines), then every seat in seat order with the machine whose pad
// drives it (null for a computer, which every machine plays).
void GameScreen::addOnlineTraceFields(TraceLine& line) const {
    line.add("matchTick", onlineTick);
    line.add("machine", online->self());
    line.beginArray("players");
    const net::Start& start = online->start();
    for (size_t seat = 0; seat < match->seats.size(); ++seat) {
        const Seat* at = match->seats[seat];
        const Player* player = nullptr;
        for (const Player* local : players)
            if (local == at)
                player = local;
        uint8_t machine =
            seat < start.seatMachines.size() ? start.seatMachines[seat] : net::NO_MACHINE;
        addSeatFields(line, *at, player, machine == net::NO_MACHINE ? ANY_MACHINE : machine);
    }
    line.end();
    if (!online->stopMessage().empty())
        line.add("stopped", online->stopMessage());
}
