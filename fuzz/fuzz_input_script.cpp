// Fuzz target: the input script and recording reader on arbitrary bytes.
#include "shell/InputScript.h"

#include <cstdint>
#include <string>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInputScript script;
  std::string error;
  if (!ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", script, error) &&
      error.rfind("fuzz.txt:", 0) != 0)
    __builtin_trap();  // a refusal always names its place
  return 0;
}
