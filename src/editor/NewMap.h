// NewMap: what a map started from nothing holds, so that it plays at once:
// a floor with the golden slot and ground below it, every common tile and
// star of the default pack bound to its character with its logical value,
// and an object file with the player and the three crates on the floor.
#pragma once

#include <string>

namespace zorbin {

class TXMap;

// Fills map (sized by the caller) with the new map's cells, wraps and
// extra lines.
void FillNewMap(TXMap& map);

// The object file of a new map.
const std::string& NewObjectsText();

}  // namespace zorbin
