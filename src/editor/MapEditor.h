// MapEditor: the map editor's frame loop. "-edit FOLDER" opens it on the
// map whose files lie loose in FOLDER (or starts a new one there); the
// author paints cells with the pointer or the cell cursor, sets wraps and
// the title card's texts, places, drags and edits objects (the objects
// mode, see ObjectTool), undoes and redoes, saves, and plays the map as it
// stands with F5.
#pragma once

#include <string>

namespace zorbin {

// Runs the editor on folder until the author leaves it. The display, the
// data and the fonts are up. Raises when the folder's map file holds no map.
void RunMapEditor(const std::string& folder);

}  // namespace zorbin
