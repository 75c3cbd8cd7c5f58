// Fuzz target: the input script and recording reader on arbitrary bytes,
// and the key look-up of every key it accepts: a known key's text reads
// back as the same key.
#include "shell/InputScript.h"

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool videoUp = [] {
    // Key names are SDL's, known once its video is up.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return SDL_Init(SDL_INIT_VIDEO) == 0;
  }();
  TInputScript script;
  std::string error;
  if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", script, error)) {
    if (error.rfind("fuzz.txt:", 0) != 0) __builtin_trap();  // a refusal always names its place
    return 0;
  }
  for (const TInputEvent& event : script.Events) {
    int symbol = KeySymbol(event.Key);
    if (videoUp && symbol >= 0 && KeySymbol(KeyText(symbol)) != symbol) __builtin_trap();
  }
  return 0;
}
