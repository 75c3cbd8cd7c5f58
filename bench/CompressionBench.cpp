// CompressionBench: decoding speed of every stage of compressed blocks,
// measured against memcpy and plain zlib inflation of the same data in the
// same run, and the packer's search for the smallest block.
#include "storage/CompressorUnit.h"
#include "storage/MyZStreamUnit.h"
#include "util/QXToolbox.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

// A 24-bit picture of 256 x 341 pixels (about 256 KB) with smooth gradients
// and a little noise, after an 18-byte header.
const Bytes& Picture() {
  static const Bytes data = [] {
    RandSeed(7);
    Bytes out(18, 0);
    for (int y = 0; y < 341; ++y)
      for (int x = 0; x < 256; ++x) {
        out.push_back(uint8_t(x + Random(3)));
        out.push_back(uint8_t(y / 2));
        out.push_back(uint8_t((x ^ y) & 0xF0));
      }
    return out;
  }();
  return data;
}

// About 256 KB of object-file text.
const Bytes& Text() {
  static const Bytes data = [] {
    std::string s;
    for (int i = 0; s.size() < 256 * 1024; ++i)
      s += "[Mover" + IntToStr(i) + "]\r\nType=LinearMover\r\nImage=..\\common\\lift.tga\r\nX=" +
           IntToStr(i * 16 % 512) + "\r\nSpeed=" + IntToStr(Random(9)) + "\r\n";
    return Bytes(s.begin(), s.end());
  }();
  return data;
}

const Bytes& Sample(int which) { return which == 0 ? Picture() : Text(); }

void BM_Memcpy(benchmark::State& state) {
  const Bytes& data = Sample(int(state.range(0)));
  Bytes copy(data.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), data.data(), data.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

// zlib's own one-call inflation of the deflated data.
void BM_ZlibUncompress(benchmark::State& state) {
  const Bytes& data = Sample(int(state.range(0)));
  Bytes z = DeflateBytes(data, 9);
  Bytes out(data.size());
  for (auto _ : state) {
    uLongf size = uLongf(out.size());
    if (uncompress(out.data(), &size, z.data(), uLong(z.size())) != Z_OK) state.SkipWithError("uncompress");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

// Decompress of a block packed with the flags in range(1); bytes counted are
// the decoded file's.
void BM_Decompress(benchmark::State& state) {
  const Bytes& data = Sample(int(state.range(0)));
  const uint8_t flags = uint8_t(state.range(1));
  TMemoryStream block(TCompressor::Compress(data, flags));
  for (auto _ : state) {
    auto out = TCompressor::Decompress(block);
    benchmark::DoNotOptimize(out->Memory());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  state.counters["block_bytes"] = double(block.Size());
}

void BM_CompressBest(benchmark::State& state) {
  const Bytes& data = Sample(int(state.range(0)));
  size_t size = 0;
  for (auto _ : state) size = TCompressor::CompressBest(data).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  state.counters["block_bytes"] = double(size);
}

// range(0): 0 = picture, 1 = text.
BENCHMARK(BM_Memcpy)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibUncompress)->Arg(0)->Arg(1);
BENCHMARK(BM_Decompress)
    ->ArgsProduct({{0, 1},
                   {0x00, 0x40, 0x08, 0x20, 0x10, 0x01, 0x02, 0x03, 0x04, 0x07, 0x46, 0x24, 0x63}})
    ->ArgNames({"sample", "flags"});
BENCHMARK(BM_CompressBest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
