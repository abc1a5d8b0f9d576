#include "entities/item.h"

#include <cassert>

#include "entities/itemtextures.h"
#include "math/randomsource.h"

Item::Item(ItemKind kind) : kind(kind) {
    assert(kind >= 0 && kind < ITEM_KIND_COUNT && "kind");
    ItemTextures::instance().loadImages();
}

ItemKind itemKindForRoll(int roll) {
    if (roll <= 40)
        return ITEM_PROJECTILE;
    if (roll <= 60)
        return ITEM_TRIPLE_PROJECTILE;
    if (roll <= 80)
        return ITEM_HEALTH;
    if (roll <= 90)
        return ITEM_NUKE;
    return ITEM_RANDOM_ROTATION;
}

Item* randomItem() {
    return new Item(itemKindForRoll(randomSource.randomInt(1, 100)));
}
