#pragma once

// What an item does when used; also the index of its icon texture and, for the first three,
// the kind of shell fired.
enum ItemKind {
    ITEM_PROJECTILE = 0,        // one shell
    ITEM_TRIPLE_PROJECTILE = 1, // three shells in a fan
    ITEM_NUKE = 2,              // one big shell with a big explosion
    ITEM_HEALTH = 3,            // one health point back, up to the maximum
    ITEM_RANDOM_ROTATION = 4,   // three to five random layer turns of the cube
};

constexpr int ITEM_KIND_COUNT = 5;
