// Placeholder bodies of the game's methods that are not written yet.
//
// One section per area. Whoever writes an area deletes its section here and
// defines the methods in the area's own source (named in the section title).
// Every placeholder does nothing and returns 0, false or the empty text, so
// the game runs with the area switched off.
#include "game/game.h"
