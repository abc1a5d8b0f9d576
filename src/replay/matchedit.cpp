#include "replay/matchedit.h"

#include "entities/item.h"
#include "entities/tank.h"
#include "match/match.h"
#include "world/obstacle.h"
#include "world/world.h"

namespace {

bool setHealth(Match& match, int seat, int health, std::string& error) {
    if (seat < 0 || seat >= static_cast<int>(match.seats.size())) {
        error = "the match has no player " + std::to_string(seat);
        return false;
    }
    if (health < 1 || health > Tank::MAX_HEALTH) {
        error = "a tank's health is 1 to " + std::to_string(Tank::MAX_HEALTH) + ", not " +
                std::to_string(health);
        return false;
    }
    // Only a tank still in the running match takes a new health: a destroyed one stays so.
    Tank* tank = match.seats[static_cast<size_t>(seat)]->tank;
    if (!tank || tank->getHealth() <= 0) {
        error = "player " + std::to_string(seat) + " has no tank left";
        return false;
    }
    tank->health = health;
    return true;
}

bool giveItems(Match& match, int kind, std::string& error) {
    if (kind < ITEM_PROJECTILE || kind > ITEM_RANDOM_ROTATION) {
        error = "there is no item kind " + std::to_string(kind);
        return false;
    }
    for (Seat* seat : match.seats)
        if (seat->tank && seat->tank->itemCount < Tank::SLOTS)
            seat->tank->addItem(new Item(static_cast<ItemKind>(kind)));
    return true;
}

void addTestObstacles(World& world) {
    float h = world.halfExtent();
    const Vec3f places[6] = {Vec3f(10, h, 20), Vec3f(10, -h, 20), Vec3f(-h, 0, 20),
                             Vec3f(h, 0, 20),  Vec3f(10, 0, -h),  Vec3f(10, 0, h)};
    for (const Vec3f& place : places)
        world.addObject(new Obstacle(place, &world));
}

} // namespace

bool applyMatchEdit(Match& match, const MatchEdit& edit, std::string& error) {
    if (!match.world) {
        error = "the match has no world";
        return false;
    }
    switch (edit.kind) {
    case MatchEdit::Kind::SET_HEALTH:
        return setHealth(match, edit.seat, edit.value, error);
    case MatchEdit::Kind::GIVE_ITEMS:
        return giveItems(match, edit.value, error);
    case MatchEdit::Kind::ADD_TEST_OBSTACLES:
        addTestObstacles(*match.world);
        return true;
    }
    error = "an edit of unknown kind";
    return false;
}
