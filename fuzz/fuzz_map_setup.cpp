// libFuzzer target: a whole map set-up. The input holds up to three files
// separated by the line "====": the map's "objects.ini", its "map00.mpt"
// and a macro file "macro.ini" (a part left out gets a small working one).
// They are written as loose files beside the resources a test pack has, and
// a map visit is built on them with the dummy display and a virtual clock,
// then played for a few frames and taken down. A failure the game reports
// (an exception, an exit through HaltProcess) must leave nothing behind.
#include "PackBuilder.h"

#include "app/Units.h"
#include "app/Zorbin.h"
#include "formats/TileMapUnit.h"
#include "game/ZORBPlay1MapUnit.h"
#include "log/Logger.h"
#include "pictures/QXFonts.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBParticleEngineUnit.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/MAD4HighLevelUnit.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"
#include "util/QXToolbox.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zorbin;

constexpr int kPlayFrames = 4;

// Raised by the exit hook so that a halt returns to the fuzzer.
struct THalted {
  int Code;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto dir = std::filesystem::temp_directory_path() / ("zorbin-fuzz-map-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  // The TGA reader's messages would flood the fuzzer's output.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;

  e2e::TPackBuilder pack(dir.string() + "/");
  e2e::WriteMapSetupResources(pack);

  static TVirtualClock clock;
  SetClock(&clock);
  InitializeUnits({(dir / "zorbin").string(), "-nolog"});
  QX_SDL::Initialize(kScreenWidth, kScreenHeight, kScreenDepth, QX_SDL::kBackBufferOption);
  MainFont = std::make_unique<TQXRFont>("npi69.qxr");
  DigitsFont = std::make_unique<TTGAFont>("lilnums");
  MainFont->Target = QX_SDL::BackImage();
  DigitsFont->Target = QX_SDL::BackImage();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  e2e::TPackBuilder pack("./");
  e2e::WriteMapSetupInput(pack, std::string(reinterpret_cast<const char*>(data), size));

  // A fresh opener: its cache would otherwise serve the last input's files.
  StreamOpener = std::make_unique<TQXStreamOpener>(Log->ExeDir(), MAD4Volumes.get());
  RandSeed(1);
  static int polls = 0;
  polls = 0;
  static TSubscription escapeLate;
  escapeLate = QX_SDL::Input().BeforePoll().Add([] {
    if (++polls >= kPlayFrames) QX_SDL::Keys[SDLK_ESCAPE] = true;
  });
  SetExitHook([](int code) { throw THalted{code}; });
  try {
    TPlay1Map visit("Map", -1, -1);
    TPlayResult result;
    visit.Play(result);
    if (result.Code != TPlayCode::Escape) std::abort();
  } catch (const std::exception&) {
    // A visit that stopped half-way has freed the map-wide globals: see below.
  } catch (const THalted&) {
  }
  if (SpriteEngine || TileMap || ParticleAnims || ParticleEngine) std::abort();
  return 0;
}
