// The game program: units up, the entry sequence, units down.
#include "app/CommandLine.h"
#include "app/KeySettings.h"
#include "app/PlaySwitches.h"
#include "app/Settings.h"
#include "app/Units.h"
#include "app/Zorbin.h"
#include "editor/MapEditor.h"
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
  // Answered before anything starts: no window and no log.
  if (WantsHelp(args)) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  if (args.size() == 2 && args[1] == "-version") {
    std::printf("zorbin %s\n", ZORBIN_VERSION);
    return 0;
  }
  // Named, not refused: the game starts as it always did.
  for (const std::string& arg : UnknownSwitches(args))
    std::fprintf(stderr, "zorbin: unknown switch \"%s\" is ignored (-help lists the switches)\n", arg.c_str());
  args[0] = ProgramPath(args[0]);
  // Read before the play switches are taken out of args (-config among them).
  const std::vector<std::string> given = args;
  // Refused before anything starts: a bad switch or recording plays nothing.
  TPlaySwitches switches;
  std::optional<uint32_t> seed;
  std::string error;
  std::string configFile;
  std::string editFolder;
  if (!TakeConfigSwitch(args, configFile, error) || !TakePlaySwitches(args, switches, error) ||
      !TakeEditSwitch(args, editFolder, error) || !StartPlaySwitches(switches, seed, error)) {
    std::fprintf(stderr, "zorbin: %s\n", error.c_str());
    return 1;
  }
  InitializeUnits(args);
  // A failure that ends the game is told on the terminal too, not only in
  // the log; a closed window (2) is no failure.
  SetExitHook([](int code) {
    if (code != 0 && code != 2) {
      std::string message = Log ? Log->LastError() : std::string();
      if (message.empty()) message = "stopped with exit code " + std::to_string(code);
      std::fprintf(stderr, "zorbin: %s\n", message.c_str());
    }
    FinalizeUnits();
  });
  TPlayerSwitches player = ReadPlayerSwitches(given);
  TSettings settings(player.ConfigFile.empty() ? TSettings::DefaultFileName() : player.ConfigFile);
  QX_SDL::TPresentation presentation;
  presentation.Scale = player.Scale.value_or(settings.Scale());
  presentation.Fullscreen = player.Fullscreen || settings.Fullscreen();
  presentation.PlayerKeys = true;
  presentation.PauseOnFocusLoss = settings.PauseOnFocusLoss();
  QX_SDL::SetPresentation(presentation);
  if (settings.Loaded()) UseKeySettings(&settings.Ini());
  TSubscription fullscreenSaved =
      QX_SDL::Display().FullscreenChanged().Add([&settings](bool on) { settings.SaveFullscreen(on); });
  int code = 0;
  try {
    if (editFolder.empty())
      code = RunZorbin(seed, TStartMap{player.Map, player.Watch});
    else
      code = RunZorbin(seed, {}, [&editFolder] { RunMapEditor(editFolder); });
  } catch (const std::exception& e) {
    Log->Error(e.what(), "Zorbin");
    code = 1;
  }
  fullscreenSaved.Cancel();
  HaltProcess(code);
}
