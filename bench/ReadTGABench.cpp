// ReadTGABench: reading a 640 x 480 picture of game art (plain and
// run-length, both row orders) in pixel bytes per second, against memcpy of
// the same pixel bytes and zlib inflation of the file in the same run; and
// loading a 49-frame strip by name with a frame group and a transform (as
// the air meter loads its picture), against memcpy of its pixel bytes.
#include "BenchData.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/RawPictureUnit.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace zorbin {
namespace {

using bench::Bytes;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kPixelBytes = size_t(kWidth) * kHeight * 3;

const Bytes& Pixels() {
  static const Bytes pixels = bench::GamePixels(kWidth, kHeight, 11);
  return pixels;
}

// range(0) of the readers: 0 plain 24-bit, 1 run-length top-down,
// 2 run-length bottom-up.
const Bytes& File(int which) {
  static const Bytes plain = bench::TrueColourTga(Pixels(), kWidth, kHeight);
  static const Bytes topDown = bench::RunLengthTga(Pixels(), kWidth, kHeight, false);
  static const Bytes bottomUp = bench::RunLengthTga(Pixels(), kWidth, kHeight, true);
  return which == 0 ? plain : which == 1 ? topDown : bottomUp;
}

void BM_Memcpy(benchmark::State& state) {
  Bytes copy(kPixelBytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), Pixels().data(), kPixelBytes);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

// What a ".ZL" copy of the plain file costs to inflate.
void BM_ZlibInflate(benchmark::State& state) {
  const Bytes& file = File(0);
  uLongf packedSize = compressBound(uLong(file.size()));
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, file.data(), uLong(file.size()), 6);
  Bytes out(file.size());
  for (auto _ : state) {
    uLongf outSize = uLongf(out.size());
    uncompress(out.data(), &outSize, packed.data(), packedSize);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

void BM_ReadTGA(benchmark::State& state) {
  const Bytes& file = File(int(state.range(0)));
  TMemoryStream stream(file);
  TRawPicture picture;
  for (auto _ : state) {
    stream.SetPosition(0);
    picture.ReadTGAStream(stream);
    benchmark::DoNotOptimize(picture.Data.data());
  }
  if (picture.Data != Pixels()) state.SkipWithError("decoded pixels differ");
  state.counters["file_bytes"] = double(file.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_ZlibInflate);
BENCHMARK(BM_ReadTGA)->Arg(0)->Arg(1)->Arg(2);

// The strip: 49 frames of 12 x 24 stacked in a 12 x 1176 type-2 picture
// with a 16-byte ID (looped, colour-keyed, stacked), as the air meter's.
constexpr int kFrames = 49;
constexpr size_t kStripBytes = size_t(12) * 1176 * 3;

Bytes StripFile() {
  Bytes id(16, 0);
  id[0] = kFrames;
  id[1] = 0x50;
  id[6] = 0x80;
  Bytes pixels;
  for (int f = 0; f < kFrames; ++f)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool lit = 24 - y <= f / 2 && x > 1 && x < 10;
        pixels.insert(pixels.end(), {uint8_t(lit ? 200 : 0), uint8_t(lit ? 80 + y * 4 : 0), uint8_t(lit ? 20 + x : 0)});
      }
  return bench::TrueColourTga(pixels, 12, 1176, id);
}

// The services TImage needs: a log (off), the display shell at 32 bits with
// the dummy video driver, and a stream opener that serves the strip from its
// cache, as a second load in the game would.
struct TDisplay {
  TDisplay() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    root = std::filesystem::temp_directory_path() / "zorbin-tga-bench";
    std::filesystem::create_directories(root);
    TMemoryStream(StripFile()).SaveToFile((root / "strip.tga").string());
    std::filesystem::current_path(root);
    Parameters = std::make_unique<TParameters>(std::vector<std::string>{"bench", "-nolog"});
    Log = std::make_unique<TLogger>("", false);
    StreamOpener = std::make_unique<TQXStreamOpener>((root / "").string(), nullptr);
    StreamOpener->OpenStream("strip.tga");
    QX_SDL::Initialize(640, 480, 32, QX_SDL::kBackBufferOption);
  }
  ~TDisplay() {
    QX_SDL::Finalize();
    StreamOpener.reset();
    Log.reset();
    Parameters.reset();
  }
  std::filesystem::path root;
};

// TImage by name: the cached file copied, read, the stack turned into a
// strip, every frame mirrored, the surface made, frames 0-47 kept.
void BM_LoadStripImage(benchmark::State& state) {
  TDisplay display;
  int frames = 0;
  for (auto _ : state) {
    TImage image("\\strip[0..47].tga:H");
    frames = image.FrameCount;
    benchmark::DoNotOptimize(image.Surface);
  }
  if (frames != 48) state.SkipWithError("strip not loaded");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kStripBytes));
}

void BM_StripMemcpy(benchmark::State& state) {
  const Bytes file = StripFile();
  Bytes copy(kStripBytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data() + 18 + 16, kStripBytes);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kStripBytes));
}

BENCHMARK(BM_StripMemcpy);
BENCHMARK(BM_LoadStripImage);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
