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
    line.beginArray("players");
    for (const Player* player : players) {
        line.beginObject();
        line.add("alive", player->alive);
        line.add("won", player->won);
        line.add("input", player->gamepad ? player->gamepad->name() : std::string());
        if (const Tank* tank = player->tank) {
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
            // Radians, as far as the display has turned it: it turns as it is drawn.
            line.add("wheel", static_cast<double>(player->hud.wheelAngle));
        }
        line.end();
    }
    line.end();
    addReplayTraceFields(line);
}
