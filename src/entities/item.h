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

// A power-up in a tank's inventory: one kind code. Created with new; the tank holding it owns it
// and deletes it when it is used. The first Item constructed reads the five icon images (no GL
// needed); the first drawIcon hands them to OpenGL. Both stay for the program's life.
class Item {
public:
    explicit Item(ItemKind kind);

    // GL only: the icon on a disc filling the unit square of the model-view's x-y plane.
    void drawIcon() const;

    ItemKind kind;
};

// A new item of a random kind (from the C generator of the shared random source): 40 % single
// shells, 20 % triple shells, 20 % health, 10 % nukes, 10 % random rotations.
Item* randomItem();

// The kind a roll of 1..100 gives, in the order the odds are tested (health before the nuke).
ItemKind itemKindForRoll(int roll);
