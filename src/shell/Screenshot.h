// Screenshot: the frame saved as a PNG under the next free numbered name.
#pragma once

#include <SDL.h>

#include <string>

namespace zorbin {

// $XDG_DATA_HOME/zorbin/screenshots (~/.local/share/... when unset); empty
// when neither that nor HOME is set.
std::string ScreenshotFolder();
// folder/zorbin-NNNN.png with the lowest NNNN from 0001 whose file does not
// exist yet; empty when all 9999 are taken.
std::string NextScreenshotName(const std::string& folder);
// Creates the folder when needed and saves frame there; the file's path, or
// empty when it could not be written.
std::string SaveScreenshot(SDL_Surface* frame, const std::string& folder);

}  // namespace zorbin
