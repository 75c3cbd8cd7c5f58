// FrameCommands: running the commands of a frame after it is presented.
#include "FrameCommands.h"

#include "shell/QX_SDL.h"

#include <cstdio>
#include <cstdlib>

namespace zorbin::demo {

TSubscription InstallFrameCommands(std::vector<TFrameCommand> commands) {
  if (commands.empty()) return TSubscription();
  return QX_SDL::Display().AfterFlip().Add([commands = std::move(commands)] {
    for (const TFrameCommand& command : commands) {
      if (command.Frame != QX_SDL::FrameCount()) continue;
      std::fflush(stdout);
      if (std::system(command.Command.c_str()) != 0)
        std::fprintf(stderr, "zorbin-demo: the command of frame %u failed: %s\n", command.Frame,
                     command.Command.c_str());
    }
  });
}

}  // namespace zorbin::demo
