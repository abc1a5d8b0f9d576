#pragma once

#include "entities/itemkind.h"

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
