// The game program: units up, the entry sequence, units down.
#include "app/CommandLine.h"
#include "app/Settings.h"
#include "app/Units.h"
#include "app/Zorbin.h"
#include "log/Logger.h"
#include "shell/QX_SDL.h"
#include "util/ProcessExit.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  using namespace zorbin;
  std::vector<std::string> args(argv, argv + argc);
  // Before the units start: the help opens neither a log nor a window.
  if (WantsHelp(args)) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  args[0] = ProgramPath(args[0]);
  InitializeUnits(args);
  TPlayerSwitches switches = ReadPlayerSwitches(args);
  TSettings settings(switches.ConfigFile.empty() ? TSettings::DefaultFileName() : switches.ConfigFile);
  QX_SDL::TPresentation presentation;
  presentation.Scale = switches.Scale.value_or(settings.Scale());
  presentation.Fullscreen = switches.Fullscreen || settings.Fullscreen();
  presentation.PlayerKeys = true;
  presentation.PauseOnFocusLoss = settings.PauseOnFocusLoss();
  QX_SDL::SetPresentation(presentation);
  QX_SDL::FullscreenChangedHook = [&settings](bool on) { settings.SaveFullscreen(on); };
  int code = 0;
  try {
    code = RunZorbin();
  } catch (const std::exception& e) {
    Log->Error(e.what(), "Zorbin");
    code = 1;
  }
  QX_SDL::FullscreenChangedHook = nullptr;
  HaltProcess(code);
}
