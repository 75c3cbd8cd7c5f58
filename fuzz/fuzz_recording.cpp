// Fuzz target: recordings, the "# zorbin recording: --seed N" line and the
// key events after it. What parses is recorded again as the recorder writes
// it and read back: the seed and every key event must come back the same.
#include "shell/InputScript.h"
#include "util/QXToolbox.h"

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = "/tmp/fuzz_recording-" + std::to_string(getpid()) + ".txt";
  TInputScript script;
  std::string error;
  if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", script, error)) return 0;
  RandSeed(script.Seed.value_or(0));
  std::vector<TInputEvent> known;
  {
    TInputRecorder recorder;
    if (!recorder.Open(file, error)) return 0;
    for (const TInputEvent& event : script.Events) {
      if (event.Kind != TInputKind::Key) continue;  // the recorder writes keys only
      recorder.Record(event.Frame, event.Symbol, event.Down);
      known.push_back(event);
    }
  }
  TInputScript again;
  if (!ReadInputScript(file, again, error)) __builtin_trap();
  if (again.Seed != script.Seed.value_or(0) || again.Events.size() != known.size()) __builtin_trap();
  for (size_t i = 0; i < known.size(); ++i)
    if (again.Events[i].Frame != known[i].Frame || again.Events[i].Down != known[i].Down ||
        again.Events[i].Symbol != known[i].Symbol)
      __builtin_trap();
  return 0;
}
