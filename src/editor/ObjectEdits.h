// ObjectEdits: the changes the editor makes to an object file: a part moved
// to a place, a new object placed, an object removed, a leg added to or
// taken from a path. Each writes the keys an author would write, in the
// sections that hold them.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

class TObjectFile;
struct TEditorKind;
struct TShownObject;
struct TShownPart;

// Moves a movable object's part so that its rectangle's corner is at
// (x, y), play-area pixels, rounded down to a multiple of grid; a path
// point's middle goes there instead, its leg's lengths rounded to grid.
// False when the object cannot move.
bool MovePart(TObjectFile& file, const TShownObject& object, const TShownPart& part, int x, int y, int grid);

// Adds a section of the kind at (x, y) and names it in [*Objects]; a path
// mover gets a path list of its own. Returns the section's name.
std::string PlaceObject(TObjectFile& file, const TEditorKind& kind, int x, int y);

// Takes entry out of [*Objects], and its section (with a path mover's own
// path list) unless something else still names it: another item, a key,
// or the map's characters (placed). Sections it names for its members stay.
void RemoveEntry(TObjectFile& file, const std::string& entry, const std::vector<std::string>& placed);

// Adds a leg from the path's last point towards (x, y), its lengths
// rounded to grid;
// a mover without a path gets a new path list. False with why when the
// path is not one the game walks.
bool AddPathLeg(TObjectFile& file, const TShownObject& object, int x, int y, int grid, std::string& why);
// Takes the path's last leg away; false with why when it has none.
bool RemovePathLeg(TObjectFile& file, const TShownObject& object, std::string& why);

}  // namespace zorbin
