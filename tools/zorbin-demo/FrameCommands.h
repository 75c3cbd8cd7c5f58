// FrameCommands: shell commands a headless run carries out after given
// frames ("--exec FRAME:COMMAND"), so that a test can change files that a
// watching run looks at, at a frame of its choosing rather than at a time.
#pragma once

#include "shell/Observers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin::demo {

struct TFrameCommand {
  uint32_t Frame = 0;
  std::string Command;
};

// Once frame FRAME is presented, each command of that frame runs through
// the shell, in the order given, before the run goes on; for as long as the
// subscription is kept. A failing command is told on stderr.
[[nodiscard]] TSubscription InstallFrameCommands(std::vector<TFrameCommand> commands);

}  // namespace zorbin::demo
