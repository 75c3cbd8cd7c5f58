// Fuzz target: the settings file. The input is written as a zorbin.ini and
// read as the game reads it ([Video], then the key and joystick bindings);
// then Fullscreen is saved in it, and when saving says it did, the file read
// again must say Fullscreen is on.
#include "app/KeySettings.h"
#include "app/Settings.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "shell/KeyBindings.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace zorbin;

namespace {

void WriteSettingsFile(const std::string& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(text.data(), std::streamsize(text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = [] {
    // Key names are SDL's, known once its video is up.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_settings", "-nolog"});
    Log = std::make_unique<TLogger>("", false);
    return "/tmp/fuzz_settings-" + std::to_string(getpid()) + ".ini";
  }();
  std::string text(reinterpret_cast<const char*>(data), size);
  WriteSettingsFile(file, text);
  TSettings settings(file);
  if (settings.Scale() < TSettings::kAutoScale || settings.Scale() > TSettings::kMaxScale) __builtin_trap();
  TKeyBindings bindings;
  LoadKeyBindings(settings.Ini(), bindings, [](const std::string&) {});
  for (int key = 0; key < TKeyBindings::kKeyCount; ++key) {
    int logical = bindings.Translate(key);
    if (logical < TKeyBindings::kNoKey || logical >= TKeyBindings::kKeyCount) __builtin_trap();
  }

  if (settings.SaveFullscreen(true) && !TSettings(file).Fullscreen()) __builtin_trap();  // saving said it was set
  return 0;
}
