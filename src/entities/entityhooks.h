#pragma once

// Plugs the game's tanks and item boxes into every World made afterwards: World::addTank then
// makes a Tank in the face's colour, and the item spawner an ItemBox at a random place on a
// random face. Leaves the collision response as it finds it. Calling it again changes nothing.
void installEntityHooks();
