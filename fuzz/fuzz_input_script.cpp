// Fuzz target: the input script and recording reader on arbitrary bytes. A
// refusal names its place; every key it accepts is a key whose text reads
// back as the same key.
#include "shell/InputScript.h"

#include <cstdint>
#include <string>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInputScript script;
  std::string error;
  if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", script, error)) {
    if (error.rfind("fuzz.txt:", 0) != 0) __builtin_trap();  // a refusal always names its place
    return 0;
  }
  for (const TInputEvent& event : script.Events)
    if (event.Kind == TInputKind::Key && (event.Symbol < 0 || KeySymbol(KeyText(event.Symbol)) != event.Symbol))
      __builtin_trap();
  return 0;
}
