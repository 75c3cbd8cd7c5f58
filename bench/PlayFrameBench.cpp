// One play frame on a busy map (objects moving, the background, the air
// meter, every sprite drawn, the shell's Flip copying the back buffer to the
// screen and its event poll, on a virtual clock that never waits),
// against three copies of a 640 x 480 x 4 frame done with memcpy in the
// same run; and the time from nothing to the first presented frame of a map.
#include "game/ZORBAirMeterUnit.h"
#include "game/ZORBPlay1MapUnit.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageUnit.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/MapGlobals.h"
#include "sprites/ZORBSpriteUnit.h"
#include "storage/QXStream.h"

#include "../tests/e2e/PackBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

using namespace zorbin;

constexpr size_t kFrameBytes = 640 * 480 * 4;

// A map with a player, a volcano, a bridge, a particle box and forty movers.
std::string BuildBusyPack() {
  std::string root = (std::filesystem::temp_directory_path() / "zorbin-bench-pack/").string();
  std::filesystem::remove_all(root);
  e2e::TPackBuilder pack(root);
  pack.WriteRootResources();
  pack.WritePlayerPicture("player.tga");
  pack.WriteBlock("mover.tga", 64, 16, {255, 120, 0}, 4);
  pack.WriteBlock("crater.tga", 64, 32, {120, 60, 20});
  pack.WriteBlock("tile.tga", 16, 16, {0, 160, 60});
  std::vector<std::string> rows(22, std::string(32, ' '));
  for (int r = 19; r < 22; ++r) rows[size_t(r)] = std::string(32, '#');
  pack.WriteMap("Busy", "Busy", rows, {" ", "#\\tile.tga"});
  std::string objects = "[*Objects]\r\nPlayer\r\nHot\r\nWalk\r\nShaft\r\nMovers\r\n";
  objects += "[Player]\r\nType=Player\r\nPositionX=16\r\nPositionY=272\r\nImage=\\player.tga\r\n";
  objects += "[Hot]\r\nType=Volcano\r\nPosition=320\r\nImage=\\crater.tga\r\n";
  objects += "[Walk]\r\nType=Bridge\r\nPositionX=64\r\nPositionY=160\r\nWidth=8\r\n";
  objects += "[Shaft]\r\nType=ParticleBox\r\nBounds=400,32,431,300\r\nRate=1\r\nSteps=64\r\n";
  objects += "[Movers]\r\nType=Repeater\r\nRepeatObject=Mover\r\nTimes=40\r\nDeltaY=7\r\n";
  objects += "[Mover]\r\nType=LinearMover\r\nSpeedX=5\r\nLooped=true\r\nImage=\\mover.tga\r\n";
  pack.WriteText("Busy/objects.ini", objects);
  return root;
}

// The process-wide services the map needs, without a log file.
struct TGame {
  TGame() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    root = BuildBusyPack();
    std::filesystem::current_path(root);
    Parameters = std::make_unique<TParameters>(std::vector<std::string>{"bench", "-nolog"});
    Log = std::make_unique<TLogger>("", false);
    StreamOpener = std::make_unique<TQXStreamOpener>(root, nullptr);
    SetClock(&clock);
    QX_SDL::Initialize(640, 480, 32, QX_SDL::kBackBufferOption);
  }
  ~TGame() {
    QX_SDL::Finalize();
    SetClock(nullptr);
    StreamOpener.reset();
    Log.reset();
    Parameters.reset();
  }
  TVirtualClock clock;
  std::string root;
};

void BM_ThreeFrameCopies(benchmark::State& state) {
  std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes);
  for (auto _ : state) {
    for (int i = 0; i < 3; ++i) {
      std::memcpy(b.data(), a.data(), kFrameBytes);
      benchmark::DoNotOptimize(b.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes) * 3);
}
BENCHMARK(BM_ThreeFrameCopies);

void BM_PlayFrame(benchmark::State& state) {
  TGame game;
  TPlay1Map map("Busy", -1, -1);
  map.AirMeter->Start();
  for (auto _ : state) {
    map.AirMeter->Update();
    SpriteEngine->MoveAll();
    QX_SDL::DrawImage(0, 0, map.Background.get());
    map.AirMeter->Draw();
    SpriteEngine->DrawAll();
    QX_SDL::Flip();
    QX_SDL::PollEvents();
  }
  state.counters["sprites"] = SpriteEngine->Count();
}
BENCHMARK(BM_PlayFrame);

// From nothing to the first frame of the title card.
void BM_MapSetUpToFirstFrame(benchmark::State& state) {
  TGame game;
  for (auto _ : state) {
    bool presented = false;
    TSubscription firstFrame = QX_SDL::Display().AfterFlip().Add([&] {
      if (!presented) {
        presented = true;
        state.PauseTiming();
      }
    });
    // The rest of the title card, taking the map down and a new opener
    // (nothing cached) are not part of the figure.
    auto map = std::make_unique<TPlay1Map>("Busy", -1, -1);
    map.reset();
    StreamOpener = std::make_unique<TQXStreamOpener>(game.root, nullptr);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MapSetUpToFirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
