// The game program: units up, the entry sequence, units down.
#include "app/KeySettings.h"
#include "app/PlaySwitches.h"
#include "app/Settings.h"
#include "app/Switches.h"
#include "app/Units.h"
#include "app/Zorbin.h"
#include "editor/MapEditor.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "shell/QX_SDL.h"
#include "util/ProcessExit.h"
#include "util/UserFolders.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  using namespace zorbin;
  const std::vector<std::string> args(argv, argv + argc);
  TOptions options;
  std::string error;
  bool valid = ReadSwitches(TProgram::Game, args, options, error);
  // Answered before anything starts: no window and no log.
  if (options.Help) {
    std::fputs(GameHelpText().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("zorbin %s\n", ZORBIN_VERSION);
    return 0;
  }
  // Named, not refused: the game starts as it always did.
  for (const std::string& arg : options.Unknown)
    std::fprintf(stderr, "zorbin: unknown switch \"%s\" is ignored (-help lists the switches)\n", arg.c_str());
  // Refused before anything starts: a bad switch or recording plays nothing.
  std::optional<uint32_t> seed;
  if (!valid || !StartPlaySwitches(options, seed, error)) {
    std::fprintf(stderr, "zorbin: %s\n", error.c_str());
    return 1;
  }
  InitializeUnits(LogParameters(ProgramPath(args.empty() ? std::string() : args[0]), options));
  // A failure that ends the game is told on the terminal too, not only in
  // the log; a closed window (2) is no failure.
  SetExitHook([](int code) {
    if (code != 0 && code != 2) {
      std::string message = Log ? Log->LastError() : std::string();
      if (message.empty()) message = "stopped with exit code " + std::to_string(code);
      std::fprintf(stderr, "zorbin: %s\n", message.c_str());
    }
    if (TGameAudio* audio = TGameAudio::Active()) audio->Stop();
    FinalizeUnits();
  });
  TSettings settings(options.ConfigFile.empty() ? TSettings::DefaultFileName() : options.ConfigFile);
  QX_SDL::TPresentation presentation;
  presentation.Scale = options.Scale.value_or(settings.Scale());
  presentation.Fullscreen = options.Fullscreen || settings.Fullscreen();
  presentation.PlayerKeys = true;
  presentation.PauseOnFocusLoss = settings.PauseOnFocusLoss();
  QX_SDL::SetPresentation(presentation);
  if (settings.Loaded()) UseKeySettings(&settings.Ini());
  TSubscription fullscreenSaved =
      QX_SDL::Display().FullscreenChanged().Add([&settings](bool on) { settings.SaveFullscreen(on); });
#ifndef __EMSCRIPTEN__
  // The page forgets its files when it is closed: kept progress there waits
  // for the browser's own storage.
  SetProgressFile(UserDataFolder() + "progress.ini");
#endif
  TAudioOptions audio{!options.NoSound, "", settings.Volume(), settings.Music()};
#ifdef __EMSCRIPTEN__
  // The page has no audio thread to mix on yet: it stays silent, as before.
  audio.Device = false;
#endif
  int code = 0;
  try {
    if (options.EditFolder.empty())
      code = RunZorbin(seed, TStartMap{options.Map, options.Watch}, {}, audio);
    else
      code = RunZorbin(
          seed, {}, [&options] { RunMapEditor(options.EditFolder); }, audio);
  } catch (const std::exception& e) {
    Log->Error(e.what(), "Zorbin");
    code = 1;
  }
  fullscreenSaved.Cancel();
  HaltProcess(code);
}
