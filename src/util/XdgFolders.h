// XdgFolders: where the user's own files go, after the XDG base directories.
#pragma once

#include <string>

namespace zorbin {

// $XDG_CONFIG_HOME, else $HOME/.config; empty when neither is set.
std::string ConfigHome();
// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither is set.
std::string DataHome();

}  // namespace zorbin
