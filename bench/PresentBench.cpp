// PresentBench: showing the 640 x 480 frame at 2x and 3x (nearest neighbour,
// as the shell does on a bigger window or fullscreen) against the 1:1 blit
// of one full frame that the unscaled window costs. The frame budget is 10 ms.
#include "shell/Presentation.h"

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <memory>

namespace zorbin {
namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

using SurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

SurfacePtr Make(int w, int h) {
  SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0), SDL_FreeSurface);
  uint32_t* p = static_cast<uint32_t*>(s->pixels);
  for (int i = 0; i < w * h; ++i) p[i] = uint32_t(i) * 2654435761u;
  return s;
}

void BM_FrameCopy1x(benchmark::State& state) {
  SurfacePtr frame = Make(kFrameWidth, kFrameHeight);
  SurfacePtr screen = Make(kFrameWidth, kFrameHeight);
  for (auto _ : state) {
    SDL_UpperBlit(frame.get(), nullptr, screen.get(), nullptr);
    benchmark::DoNotOptimize(screen->pixels);
  }
}
BENCHMARK(BM_FrameCopy1x)->Unit(benchmark::kMicrosecond);

void BM_PresentScaled(benchmark::State& state) {
  int scale = int(state.range(0));
  SurfacePtr frame = Make(kFrameWidth, kFrameHeight);
  SurfacePtr screen = Make(kFrameWidth * scale, kFrameHeight * scale);
  TLayout layout = WindowLayout(scale, kFrameWidth, kFrameHeight);
  for (auto _ : state) {
    PresentScaled(frame.get(), screen.get(), layout);
    benchmark::DoNotOptimize(screen->pixels);
  }
}
BENCHMARK(BM_PresentScaled)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
