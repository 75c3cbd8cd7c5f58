// ReadTGABench: reading speed of TGA pictures (plain and run-length, both
// row orders) in output bytes per second, against memcpy of the pixels and
// zlib inflation of the same file measured in the same run.
#include "pictures/RawPictureUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kWidth = 512;
constexpr int kHeight = 384;
constexpr size_t kPixelBytes = size_t(kWidth) * kHeight * 3;

// Game-like art: flat areas with runs, some gradients and a little noise.
Bytes Pixels() {
  RandSeed(11);
  Bytes out;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      bool flat = ((x / 32) + (y / 32)) % 3 == 0;
      out.push_back(flat ? 0 : uint8_t(x + Random(2)));
      out.push_back(flat ? 0 : uint8_t(y));
      out.push_back(flat ? 0 : uint8_t((x ^ y) & 0xE0));
    }
  return out;
}

Bytes Header(uint8_t type, uint8_t descriptor) {
  return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(kWidth), uint8_t(kWidth >> 8), uint8_t(kHeight),
          uint8_t(kHeight >> 8), 24, descriptor};
}

// Run-length packets that never cross a row end, as the format asks.
Bytes RunLength(const Bytes& pixels, bool bottomUp) {
  Bytes out = Header(10, bottomUp ? 0x00 : 0x20);
  for (int r = 0; r < kHeight; ++r) {
    const uint8_t* row = pixels.data() + size_t(bottomUp ? kHeight - 1 - r : r) * kWidth * 3;
    int x = 0;
    while (x < kWidth) {
      int run = 1;
      while (x + run < kWidth && run < 128 && std::memcmp(row + x * 3, row + (x + run) * 3, 3) == 0) ++run;
      if (run > 1) {
        out.push_back(uint8_t(0x80 | (run - 1)));
        out.insert(out.end(), row + x * 3, row + x * 3 + 3);
        x += run;
        continue;
      }
      int literal = 1;
      while (x + literal < kWidth && literal < 128 &&
             std::memcmp(row + (x + literal) * 3, row + (x + literal - 1) * 3, 3) != 0)
        ++literal;
      out.push_back(uint8_t(literal - 1));
      out.insert(out.end(), row + x * 3, row + (x + literal) * 3);
      x += literal;
    }
  }
  return out;
}

const Bytes& File(int which) {
  static const Bytes pixels = Pixels();
  static const Bytes plain = [] {
    Bytes out = Header(2, 0x20);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }();
  static const Bytes topDown = RunLength(pixels, false);
  static const Bytes bottomUp = RunLength(pixels, true);
  return which == 0 ? plain : which == 1 ? topDown : bottomUp;
}

void BM_Memcpy(benchmark::State& state) {
  const Bytes& file = File(0);
  Bytes copy(kPixelBytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data() + 18, kPixelBytes);
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

// range(0): 0 plain 24-bit, 1 run-length top-down, 2 run-length bottom-up.
void BM_ReadTGA(benchmark::State& state) {
  const Bytes& file = File(int(state.range(0)));
  TMemoryStream stream(file);
  TRawPicture picture;
  for (auto _ : state) {
    stream.SetPosition(0);
    picture.ReadTGAStream(stream);
    benchmark::DoNotOptimize(picture.Data.data());
  }
  state.counters["file_bytes"] = double(file.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixelBytes));
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_ZlibInflate);
BENCHMARK(BM_ReadTGA)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
