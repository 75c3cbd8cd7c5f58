// UserFolders: the XDG base directories of an installed game.
#include "util/UserFolders.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zorbin {

bool ProgramFolderWritable(const std::string& dir) {
  if (dir.rfind("/usr/", 0) == 0) return false;
  return access(dir.empty() ? "." : dir.c_str(), W_OK | X_OK) == 0;
}

// The rules ignore a relative value: it would depend on the working folder.
static std::string XdgFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  std::string base;
  if (value && value[0] == '/') {
    base = value;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + underHome;
  }
  if (base.empty() || base.back() != '/') base += '/';
  return base + "zorbin/";
}

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

bool MakeFolders(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  return std::filesystem::is_directory(dir, error);
}

std::string LogFolder(const std::string& exeDir) {
  if (ProgramFolderWritable(exeDir)) return exeDir;
  std::string folder = UserStateFolder();
  MakeFolders(folder);
  return folder;
}

std::string DefaultLogName(const std::string& exeDir, const std::string& exeName) {
  return LogFolder(exeDir) + exeName.substr(0, exeName.find('.')) + ".log";
}

}  // namespace zorbin
