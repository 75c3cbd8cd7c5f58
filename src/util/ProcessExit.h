// ProcessExit: the one way the program ends with an exit code, so that the
// log still writes its closing line wherever the process stops.
#pragma once

namespace zorbin {

using TExitHook = void (*)(int code);

// The hook runs once, before the process ends (the unit finalisation).
void SetExitHook(TExitHook hook);
TExitHook ExitHook();

[[noreturn]] void HaltProcess(int code);

}  // namespace zorbin
