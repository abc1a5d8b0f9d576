#include "entities/entityhooks.h"

#include "entities/itembox.h"
#include "entities/tank.h"
#include "world/world.h"

namespace {
// Item boxes keep this far in from a face's edges, world units.
constexpr float ITEM_BOX_MARGIN = 1.75f;
} // namespace

void installEntityHooks() {
    World::Hooks& hooks = World::defaultHooks();
    hooks.tankMaker = [](World& world, const Vec3f& position, const Vec4f& colour) {
        Tank* tank = new Tank(position, &world);
        tank->colour = colour;
        return World::MadeTank{tank, tank};
    };
    hooks.itemBoxMaker = [](World& world) -> Object* {
        return new ItemBox(world.randomFacePosition(ITEM_BOX_MARGIN, ITEM_BOX_MARGIN), &world);
    };
}
