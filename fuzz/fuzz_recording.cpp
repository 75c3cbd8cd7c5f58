// Fuzz target: recordings, the "# zorbin recording: --seed N" line and the
// key events after it. What parses is recorded again as the recorder writes
// it and read back: the seed and every event with a known key must come
// back the same.
#include "shell/InputScript.h"
#include "util/QXToolbox.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    return "/tmp/fuzz_recording-" + std::to_string(getpid()) + ".txt";
  }();
  TInputScript script;
  std::string error;
  if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", script, error)) return 0;
  RandSeed(script.Seed.value_or(0));
  std::vector<TInputEvent> known;
  {
    TInputRecorder recorder;
    if (!recorder.Open(file, error)) return 0;
    for (const TInputEvent& event : script.Events) {
      int symbol = KeySymbol(event.Key);
      if (symbol < 0) continue;  // a run reports such a key and plays on without it
      recorder.Record(event.Frame, symbol, event.Down);
      known.push_back(event);
    }
  }
  TInputScript again;
  if (!ReadInputScript(file, again, error)) __builtin_trap();
  if (again.Seed != script.Seed.value_or(0) || again.Events.size() != known.size()) __builtin_trap();
  for (size_t i = 0; i < known.size(); ++i)
    if (again.Events[i].Frame != known[i].Frame || again.Events[i].Down != known[i].Down ||
        KeySymbol(again.Events[i].Key) != KeySymbol(known[i].Key))
      __builtin_trap();
  return 0;
}
