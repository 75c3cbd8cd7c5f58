// libFuzzer target: a whole map set-up. The input holds up to three files
// separated by the line "====": the map's "objects.ini", its "map00.mpt"
// and a macro file "macro.ini" (a part left out gets a small working one).
// They are written as loose files beside the resources a test pack has, and
// a map visit is built on them with the dummy display and a virtual clock,
// then played for a few frames and taken down. A failure the game reports
// (an exception, an exit through HaltProcess) must leave nothing behind.
#include "PackBuilder.h"

#include "app/ClockUnit.h"
#include "app/QX_SDL.h"
#include "app/Units.h"
#include "app/Zorbin.h"
#include "game/ZORBPlay1MapUnit.h"
#include "log/Logger.h"
#include "pictures/QXFonts.h"
#include "sprites/MapGlobals.h"
#include "sprites/TileMapUnit.h"
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
const char* const kSeparator = "\n====\n";

// Raised by the exit hook so that a halt returns to the fuzzer.
struct THalted {
  int Code;
};

std::string Floor() {
  std::string text = "MAPT\r\nWI32\r\nHE22\r\nMNFuzz\r\nAUFuzz\r\nLW 000#015\r\n";
  for (int r = 0; r < 22; ++r)
    text += "MP" + (r == 5 ? std::string("  p  b") : r >= 19 ? std::string(32, '#') : std::string()) + "\r\n";
  return text + "EX \r\nEX#\\floor.tga\r\nEXb\\box.tga\r\nEX\r\nEXpPlaced\r\nXX\r\n";
}

const char* const kMacro =
    "[*Objects]\r\nBee\r\n\r\n[Bee]\r\nType=LinearMover\r\nPositionX=%1\r\nPositionY=%2\r\nImage=\\box.tga\r\n";

std::vector<std::string> SplitParts(const std::string& input) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() < 2) {
    size_t at = input.find(kSeparator, start);
    if (at == std::string::npos) break;
    parts.push_back(input.substr(start, at - start));
    start = at + std::string(kSeparator).size();
  }
  parts.push_back(input.substr(start));
  return parts;
}

// What a constructor that stopped half-way leaves in the map-wide globals.
void DropMapGlobals() {
  bool engineHoldsParticles = false;
  if (SpriteEngine) {
    for (int i = 0; i < SpriteEngine->Count(); ++i)
      if (SpriteEngine->Items(i) == ParticleEngine) engineHoldsParticles = true;
    SpriteEngine->FreeAll();
    delete SpriteEngine;
    SpriteEngine = nullptr;
  }
  if (!engineHoldsParticles) delete ParticleEngine;
  ParticleEngine = nullptr;
  delete ParticleAnims;
  ParticleAnims = nullptr;
  delete TileMap;
  TileMap = nullptr;
}

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
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("floor.tga", 16, 16, {120, 100, 80});
  pack.WriteBlock("box.tga", 32, 32, {160, 110, 40});
  pack.WriteBlock("swirl.tga", 80, 20, {200, 200, 255}, 4);
  pack.WriteBlock("crater.tga", 64, 32, {90, 20, 10});

  static TVirtualClock clock;
  SetClock(&clock);
  InitializeUnits({(dir / "zorbin").string(), "-nolog"});
  QX_SDL::Initialize(kScreenWidth, kScreenHeight, kScreenDepth, QX_SDL::kBackBufferOption);
  MainFont = std::make_unique<TQXRFont>("npi69.qxr");
  DigitsFont = std::make_unique<TTGAFont>("lilnums");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts = SplitParts(std::string(reinterpret_cast<const char*>(data), size));
  e2e::TPackBuilder pack("./");
  pack.WriteText("Map/objects.ini", parts[0]);
  pack.WriteText("Map/map00.mpt", parts.size() > 1 ? parts[1] : Floor());
  pack.WriteText("Map/macro.ini", parts.size() > 2 ? parts[2] : kMacro);

  // A fresh opener: its cache would otherwise serve the last input's files.
  StreamOpener = std::make_unique<TQXStreamOpener>(Log->ExeDir(), MAD4Volumes.get());
  RandSeed(1);
  static int polls = 0;
  polls = 0;
  QX_SDL::BeforePollHook = [] {
    if (++polls >= kPlayFrames) QX_SDL::Keys[SDLK_ESCAPE] = true;
  };
  SetExitHook([](int code) { throw THalted{code}; });
  try {
    TPlay1Map visit("Map", -1, -1);
    TPlayResult result;
    visit.Play(result);
    if (result.Code != -1) std::abort();
  } catch (const std::exception&) {
    DropMapGlobals();
  } catch (const THalted&) {
    DropMapGlobals();
  }
  if (SpriteEngine || TileMap || ParticleAnims || ParticleEngine) std::abort();
  return 0;
}
