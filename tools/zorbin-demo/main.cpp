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
#include "app/Units.h"
#include "app/Zorbin.h"
#include "editor/MapEditor.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "util/ProcessExit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

const char* const kUsage =
    "usage: zorbin-demo [--seed N] [--input FILE] [--record FILE] [--shot FRAME:FILE ...] [--max-frames N] "
    "[--checksums FILE] [--capture FROM:TO:FILE] [--config FILE] [--map NAME [--watch]] [--edit FOLDER] "
    "[--exec FRAME:COMMAND ...] [--monkey SEED] [--rss FRAME ...] [log switches]\n";

// --help is answered before anything else is read: no run, so no last line.
bool WantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  return false;
}

void PrintHelp() {
  std::printf(
      "%s\n"
      "Plays the game headless on a virtual clock. Standard output holds a \"visit INDEX DIR\" line for each\n"
      "map visit and, last, \"frames N exit CODE\".\n"
      "\n"
      "  --input FILE        one event a line: \"FRAME KEY down|up\" (KEY an SDL key name or number),\n"
      "                      \"FRAME mouse X Y down|up left|right\", \"FRAME motion X Y\"; # starts a comment\n"
      "  --max-frames N      closes the window at the first poll after frame N (exit 2); without it a run\n"
      "                      ends %u frames after its last event (or at a title card once the input is used up)\n"
      "  --shot FRAME:FILE   saves frame FRAME (counted from 1) as PNG, or BMP for a .bmp name\n"
      "  --capture F:T:FILE  saves frames F to T as one animated PNG\n"
      "  --monkey SEED       random play instead of a script, ending with exit 0 after --max-frames\n"
      "                      (%u frames without it)\n",
      kUsage, demo::kFramesAfterInput, demo::kFramesAfterInput);
}

[[noreturn]] void FailEarly(const std::string& message) {
  std::fprintf(stderr, "zorbin-demo: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  PrintLastLine(1);
  std::exit(1);
}

uint32_t ParseCount(const std::string& option, const std::string& text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v) || v < 0) FailEarly(option + " needs a number, not \"" + text + "\"");
  return uint32_t(v);
}

// What the command line asks of a run.
struct TDemoOptions {
  std::optional<uint32_t> seed;
  TInputScript input;
  std::string recordFile;
  std::string configFile;
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

TDemoOptions ParseOptions(int argc, char** argv) {
  TDemoOptions options;
  options.params.push_back(ProgramPath(argv[0]));
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) FailEarly(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--seed") {
      options.seed = ParseCount(arg, value());
    } else if (arg == "--max-frames") {
      options.maxFrames = ParseCount(arg, value());
    } else if (arg == "--input") {
      std::string error;
      if (!ReadInputScript(value(), options.input, error)) FailEarly(error);
    } else if (arg == "--config") {
      options.configFile = value();
    } else if (arg == "--record") {
      options.recordFile = value();
    } else if (arg == "--shot") {
      std::string shot = value();
      size_t colon = shot.find(':');
      if (colon == std::string::npos) FailEarly("--shot needs FRAME:FILE");
      uint32_t frame = ParseCount(arg, shot.substr(0, colon));
      if (frame == 0) FailEarly("--shot counts frames from 1, not 0");
      options.shots.push_back(demo::TShot{frame, shot.substr(colon + 1)});
    } else if (arg == "--map") {
      options.start.Name = value();
    } else if (arg == "--watch") {
      options.start.Watch = true;
    } else if (arg == "--exec") {
      std::string command = value();
      size_t colon = command.find(':');
      if (colon == std::string::npos) FailEarly("--exec needs FRAME:COMMAND");
      options.commands.push_back(
          demo::TFrameCommand{ParseCount(arg, command.substr(0, colon)), command.substr(colon + 1)});
    } else if (arg == "--edit") {
      options.editFolder = value();
    } else if (arg == "--capture") {
      demo::TCaptureRange range;
      std::string error;
      if (gCapture) FailEarly("--capture is given twice");
      if (!demo::ParseCaptureRange(value(), range, error)) FailEarly(error);
      gCapture = std::make_unique<demo::TFrameCapture>(range);
    } else if (arg == "--checksums") {
      gChecksums = std::make_unique<demo::TFrameChecksums>(kChecksumEvery, value());
    } else if (arg == "--monkey") {
      options.monkeySeed = ParseCount(arg, value());
    } else if (arg == "--rss") {
      options.rssFrames.push_back(ParseCount(arg, value()));
    } else {
      options.params.push_back(arg);
    }
  }
  if (options.start.Watch && options.start.Name.empty()) FailEarly("--watch needs --map FOLDER");
  if (options.monkeySeed && !options.input.Events.empty()) FailEarly("--monkey plays without --input");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (WantsHelp(argc, argv)) {
    PrintHelp();
    return 0;
  }
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
  PlayMapVisitHook = [](int index, const std::string& dir) {
    std::printf("visit %d %s\n", index, dir.c_str());
    std::fflush(stdout);
  };

  InitializeUnits(options.params);
  // The described game reads no settings: only --config, or a file in a
  // folder that XDG_CONFIG_HOME names, give the demo key bindings.
  if (configFile.empty() && std::getenv("XDG_CONFIG_HOME")) configFile = TSettings::DefaultFileName();
  std::unique_ptr<TSettings> settings;
  if (!configFile.empty()) settings = std::make_unique<TSettings>(configFile);
  if (settings && settings->Loaded()) UseKeySettings(&settings->Ini());
  SetExitHook([](int code) {
    FinalizeUnits();
    if (gRecorder) gRecorder->Finish();
    if (gChecksums && !gChecksums->Finish()) std::fprintf(stderr, "zorbin-demo: the frame checksums are incomplete\n");
    if (gCapture) gCapture->Finish(QX_SDL::FrameCount());
    gScript->Finish(QX_SDL::FrameCount());
    PrintLastLine(code);
  });
  int code = 0;
  try {
    if (options.editFolder.empty())
      code = RunZorbin(seed, options.start);
    else
      code = RunZorbin(seed, {}, [&options] { RunMapEditor(options.editFolder); });
  } catch (const std::exception& e) {
    Log->Error(e.what(), "Zorbin");
    code = 1;
  }
  HaltProcess(code);
}
