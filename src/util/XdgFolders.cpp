// XdgFolders: the environment, read once per call.
#include "util/XdgFolders.h"

#include <cstdlib>

namespace zorbin {

namespace {

// The base directories must be absolute; a relative value counts as unset.
std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + underHome;
  return std::string();
}

}  // namespace

std::string ConfigHome() { return BaseFolder("XDG_CONFIG_HOME", "/.config"); }
std::string DataHome() { return BaseFolder("XDG_DATA_HOME", "/.local/share"); }

}  // namespace zorbin
