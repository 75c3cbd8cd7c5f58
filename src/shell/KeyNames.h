// KeyNames: the names SDL 1.2 gives its key symbols, as SDL_GetKeyName
// tells them once SDL's video is up. Scripts, recordings and settings are
// read before the window opens, so the names are the program's own table.
#pragma once

#include <string>

namespace zorbin {

// Symbols 0 to kKeyNameCount - 1 can have a name; the shell's key table is
// larger.
constexpr int kKeyNameCount = 323;

// The name of an SDL key symbol; empty for a symbol SDL does not name.
const std::string& KeyName(int symbol);

}  // namespace zorbin
