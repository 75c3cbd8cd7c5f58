// Screenshot: naming and writing the files.
#include "shell/Screenshot.h"

#include "pictures/PngWriterUnit.h"
#include "util/QXToolbox.h"
#include "util/XdgFolders.h"

#include <filesystem>
#include <system_error>

namespace zorbin {

std::string ScreenshotFolder() {
  std::string home = DataHome();
  return home.empty() ? std::string() : home + "/zorbin/screenshots";
}

std::string NextScreenshotName(const std::string& folder) {
  for (int n = 1; n <= 9999; ++n) {
    std::string name = folder + "/zorbin-" + ZeroPad(n, 4) + ".png";
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(name, ec))) return name;
  }
  return std::string();
}

std::string SaveScreenshot(SDL_Surface* frame, const std::string& folder) {
  if (!frame || folder.empty()) return std::string();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::string name = NextScreenshotName(folder);
  if (name.empty() || !SaveSurfaceFile(frame, name)) return std::string();
  return name;
}

}  // namespace zorbin
