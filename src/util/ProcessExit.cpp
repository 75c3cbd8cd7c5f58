// ProcessExit: ends the process after the registered finalisation.
#include "util/ProcessExit.h"

#include <cstdio>
#include <cstdlib>

namespace zorbin {

static TExitHook gExitHook = nullptr;

void SetExitHook(TExitHook hook) { gExitHook = hook; }

TExitHook ExitHook() { return gExitHook; }

void HaltProcess(int code) {
  TExitHook hook = gExitHook;
  gExitHook = nullptr;  // a failure inside the hook must not run it twice
  if (hook) hook(code);
  std::fflush(nullptr);
  std::exit(code);
}

}  // namespace zorbin
