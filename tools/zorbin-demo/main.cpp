// zorbin-demo: the whole game, headless, on a virtual clock, with scripted
// input and screenshots. Standard output reports each map visit and, as the
// last line however the process ends, the frames presented and the exit code.
#include "DemoScript.h"
#include "FrameCapture.h"
#include "FrameChecksums.h"
#include "FrameCommands.h"
#include "Monkey.h"
#include "ResidentMemory.h"

#include "app/KeySettings.h"
#include "app/Settings.h"
#include "app/Switches.h"
#include "app/Units.h"
#include "app/Zorbin.h"
#include "editor/MapEditor.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "util/ProcessExit.h"
#include "util/Streams.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

namespace {

using namespace zorbin;

// Frames between two checksum lines of --checksums.
constexpr uint32_t kChecksumEvery = 50;

// The exit hook is a plain function, so what it completes lives here.
std::unique_ptr<demo::TFrameChecksums> gChecksums;
std::unique_ptr<TInputRecorder> gRecorder;
std::unique_ptr<demo::TFrameCapture> gCapture;
std::unique_ptr<demo::TDemoScript> gScript;

void PrintLastLine(int code) {
  std::printf("frames %u exit %d\n", QX_SDL::FrameCount(), code);
  std::fflush(stdout);
}

void PrintHelp() {
  std::printf(
      "%s\n"
      "Plays the game headless on a virtual clock. Standard output holds a \"visit INDEX DIR\" line for each\n"
      "map visit and, last, \"frames N exit CODE\". A run ends at a title card once its input is used up,\n"
      "after --max-frames N, or else %u frames after its last event (the monkey: after %u frames).\n"
      "\n"
      "%s",
      UsageLine(TProgram::Demo).c_str(), demo::kFramesAfterInput, demo::kFramesAfterInput,
      SwitchList(TProgram::Demo).c_str());
}

[[noreturn]] void FailEarly(const std::string& message) {
  std::fprintf(stderr, "zorbin-demo: %s\n", message.c_str());
  std::fputs(UsageLine(TProgram::Demo).c_str(), stderr);
  PrintLastLine(1);
  std::exit(1);
}

// What the command line asks of a run.
struct TDemoOptions {
  std::optional<uint32_t> seed;
  TInputScript input;
  std::string recordFile;
  std::string configFile;
  std::string progressFile;  // --progress FILE: kept progress, as the game keeps it
  std::string audioFile;     // --audio FILE.wav: the run's sound
  std::vector<demo::TShot> shots;
  std::optional<uint32_t> maxFrames;
  std::string editFolder;           // --edit FOLDER: the map editor instead of the game
  std::vector<std::string> params;  // the program's path, the log switches and their values
  TStartMap start;                  // --map NAME, --watch
  std::vector<demo::TFrameCommand> commands;
  // --monkey: random play instead of a script; --rss: frames after which
  // the resident memory is told on standard error.
  std::optional<uint32_t> monkeySeed;
  std::vector<uint32_t> rssFrames;
};

// The run the switches ask for: scripts read, values in the types of the
// demo's own units. --help is answered before anything else is read: no
// run, so no last line.
TDemoOptions ParseOptions(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  TOptions switches;
  std::string error;
  bool valid = ReadSwitches(TProgram::Demo, args, switches, error);
  if (switches.Help) {
    PrintHelp();
    std::exit(0);
  }
  for (const std::string& arg : switches.Unknown)
    std::fprintf(stderr, "zorbin-demo: unknown switch \"%s\" is ignored (--help lists the switches)\n", arg.c_str());
  if (!valid) FailEarly(error);
  TDemoOptions options;
  options.params = LogParameters(ProgramPath(args.empty() ? std::string() : args[0]), switches);
  options.seed = switches.Seed;
  if (!switches.InputFile.empty() && !ReadInputScript(switches.InputFile, options.input, error)) FailEarly(error);
  options.recordFile = switches.RecordFile;
  options.configFile = switches.ConfigFile;
  options.progressFile = switches.ProgressFile;
  options.audioFile = switches.AudioFile;
  for (const TFrameText& shot : switches.Shots) options.shots.push_back(demo::TShot{shot.Frame, shot.Text});
  options.maxFrames = switches.MaxFrames;
  options.editFolder = switches.EditFolder;
  options.start = TStartMap{switches.Map, switches.Watch};
  for (const TFrameText& command : switches.Commands)
    options.commands.push_back(demo::TFrameCommand{command.Frame, command.Text});
  options.monkeySeed = switches.MonkeySeed;
  options.rssFrames = switches.RssFrames;
  if (!switches.Capture.empty()) {
    demo::TCaptureRange range;
    if (!demo::ParseCaptureRange(switches.Capture, range, error)) FailEarly(error);
    gCapture = std::make_unique<demo::TFrameCapture>(range);
  }
  if (!switches.ChecksumsFile.empty())
    gChecksums = std::make_unique<demo::TFrameChecksums>(kChecksumEvery, switches.ChecksumsFile);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  TDemoOptions options = ParseOptions(argc, argv);
  std::optional<uint32_t> seed = options.seed;
  const std::string& recordFile = options.recordFile;
  std::string configFile = options.configFile;

  // A recording names the seed it was played with; --seed overrides it.
  if (!seed) seed = options.input.Seed;
  // The monkey's seed also seeds the game unless --seed says otherwise.
  if (!seed) seed = options.monkeySeed;
  // What watches the run lives as long as the process: it ends in HaltProcess.
  std::vector<TSubscription> observers;
  if (!recordFile.empty()) {
    gRecorder = std::make_unique<TInputRecorder>();
    std::string error;
    if (!gRecorder->Open(recordFile, error)) FailEarly(error);
    observers.push_back(QX_SDL::Input().KeyChange().Add(
        [](int key, bool down) { gRecorder->Record(QX_SDL::FrameCount(), key, down); }));
  }

  TVirtualClock clock;
  SetClock(&clock);
  gScript = std::make_unique<demo::TDemoScript>(options.input.Events, options.shots, options.maxFrames);
  // The monkey plays instead of the script; the shots are still taken.
  gScript->Install(!options.monkeySeed);
  std::unique_ptr<demo::TMonkey> monkey;
  if (options.monkeySeed) {
    monkey = std::make_unique<demo::TMonkey>(*options.monkeySeed, options.maxFrames);
    monkey->Install();
  }
  TObserverList<>& afterFlip = QX_SDL::Display().AfterFlip();
  if (!options.rssFrames.empty()) {
    observers.push_back(afterFlip.Add([frames = options.rssFrames] {
      for (uint32_t frame : frames)
        if (frame == QX_SDL::FrameCount())
          std::fprintf(stderr, "rss %u %lld\n", frame, static_cast<long long>(demo::ResidentKilobytes()));
    }));
  }
  if (gChecksums) {
    std::string error;
    if (!gChecksums->Open(error)) FailEarly(error);
    observers.push_back(afterFlip.Add([] {
      gChecksums->AfterFlip(QX_SDL::BackImage() ? QX_SDL::BackImage()->Surface : nullptr, QX_SDL::FrameCount());
    }));
  }
  observers.push_back(demo::InstallFrameCommands(options.commands));
  if (gCapture) {
    std::string error;
    if (!gCapture->Open(error)) FailEarly(error);
    observers.push_back(afterFlip.Add([] {
      gCapture->AfterFlip(QX_SDL::BackImage() ? QX_SDL::BackImage()->Surface : nullptr, QX_SDL::FrameCount());
    }));
  }
  observers.push_back(MapVisits().Add([](int index, const std::string& dir) {
    std::printf("visit %d %s\n", index, dir.c_str());
    std::fflush(stdout);
  }));

  SetProgressFile(options.progressFile);
  InitializeUnits(options.params);
  // The described game reads no settings: only --config, or a file in a
  // folder that XDG_CONFIG_HOME names, give the demo key bindings.
  if (configFile.empty() && std::getenv("XDG_CONFIG_HOME")) configFile = TSettings::DefaultFileName();
  std::unique_ptr<TSettings> settings;
  if (!configFile.empty()) settings = std::make_unique<TSettings>(configFile);
  if (settings && settings->Loaded()) UseKeySettings(&settings->Ini());
  SetExitHook([](int code) {
    if (TGameAudio* audio = TGameAudio::Active()) audio->Stop();
    FinalizeUnits();
    if (gRecorder) gRecorder->Finish();
    if (gChecksums && !gChecksums->Finish()) std::fprintf(stderr, "zorbin-demo: the frame checksums are incomplete\n");
    if (gCapture) gCapture->Finish(QX_SDL::FrameCount());
    gScript->Finish(QX_SDL::FrameCount());
    PrintLastLine(code);
  });
  // No sound unless asked for: then at the player's levels, or the settings'.
  TAudioOptions audio{false, options.audioFile};
  if (settings && settings->Loaded()) {
    audio.Volume = settings->Volume();
    audio.Music = settings->Music();
  }
  int code = 0;
  try {
    if (options.editFolder.empty())
      code = RunZorbin(seed, options.start, {}, audio);
    else
      code = RunZorbin(
          seed, {}, [&options] { RunMapEditor(options.editFolder); }, audio);
  } catch (const std::exception& e) {
    Log->Error(e.what(), "Zorbin");
    code = 1;
  }
  HaltProcess(code);
}
