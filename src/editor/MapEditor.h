// MapEditor: the map editor's frame loop and its switch. "-edit FOLDER"
// opens the map whose files lie loose in FOLDER; the author paints cells
// with the pointer or the cell cursor, undoes and redoes, sets wraps,
// saves, and plays the map as it stands with F5.
#pragma once

#include <string>
#include <vector>

namespace zorbin {

// Takes "-edit FOLDER" (also "/edit", "--edit") out of args (element 0 is
// the program); false with error when FOLDER is missing.
bool TakeEditSwitch(std::vector<std::string>& args, std::string& folder, std::string& error);

// Runs the editor on folder until the author leaves it. The display, the
// data and the fonts are up. Raises when the folder's map file holds no map.
void RunMapEditor(const std::string& folder);

}  // namespace zorbin
