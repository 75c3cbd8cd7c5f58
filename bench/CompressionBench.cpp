// CompressionBench: decoding speed of every stage of compressed blocks, each
// stage alone and whole blocks, in decoded bytes per second, measured
// against memcpy and zlib's own inflation of the same decoded bytes in the
// same run; and the packer's search for the smallest block.
#include "BenchData.h"
#include "storage/CodingUnit.h"
#include "storage/CompressorUnit.h"
#include "storage/HuffmanUnit.h"
#include "storage/MyZStreamUnit.h"
#include "storage/RLEUnit.h"
#include "util/QXToolbox.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>

namespace zorbin {
namespace {

using bench::Bytes;

// A 24-bit picture of 256 x 341 pixels (about 256 KB) with smooth gradients
// and a little noise, after an 18-byte header.
const Bytes& Gradients() {
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
  static const Bytes data = bench::ObjectText(256 * 1024, 3);
  return data;
}

// A 256 x 341 TGA file of game art (runs, flat tiles, noise).
const Bytes& GameArt() {
  static const Bytes data = bench::TrueColourTga(bench::GamePixels(256, 341, 5), 256, 341);
  return data;
}

// range(0) of every benchmark: 0 = gradient picture, 1 = text, 2 = game art.
const Bytes& Sample(int which) { return which == 0 ? Gradients() : which == 1 ? Text() : GameArt(); }

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

// zlib's own one-call inflation of the deflated data (level 9, as the
// packer writes it).
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

// One decoder alone over the sample as its encoder leaves it.
// range(1): 0 Huffman, 1 run-length (the shorter method), 2 delta,
// 3 move-to-front, 4 interleave restore with stride 3.
void BM_Stage(benchmark::State& state) {
  const Bytes& data = Sample(int(state.range(0)));
  const int stage = int(state.range(1));
  Bytes encoded = data;
  switch (stage) {
    case 0: encoded = THuffman::Encode(data); break;
    case 1: encoded = RLEEncodeBest(data); break;
    case 2: DeltaEncodeInPlace(encoded); break;
    case 3: MTFEncodeInPlace(encoded); break;
    default: encoded = InterleaveSplitBytes(data, 3); break;
  }
  Bytes work;
  for (auto _ : state) {
    size_t consumed = 0;
    switch (stage) {
      case 0: work = THuffman::DecodeBytes(encoded.data(), encoded.size(), consumed); break;
      case 1:
        work = Bytes();  // grown from empty, as the block decoder does
        RLEDecodeBytes(encoded.data(), encoded.size(), work, consumed);
        break;
      case 2:
      case 3:
        state.PauseTiming();
        work = encoded;
        state.ResumeTiming();
        if (stage == 2)
          DeltaDecodeInPlace(work);
        else
          MTFDecodeInPlace(work);
        break;
      default: work = InterleaveRestoreBytes(encoded, 3); break;
    }
    benchmark::DoNotOptimize(work.data());
  }
  if (work != data) state.SkipWithError("decoded bytes differ");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  state.counters["input_bytes"] = double(encoded.size());
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

BENCHMARK(BM_Memcpy)->DenseRange(0, 2);
BENCHMARK(BM_ZlibUncompress)->DenseRange(0, 2);
BENCHMARK(BM_Stage)->ArgsProduct({{0, 1, 2}, {0, 1, 2, 3, 4}})->ArgNames({"sample", "stage"});
BENCHMARK(BM_Decompress)
    ->ArgsProduct({{0, 1, 2}, {0x00, 0x40, 0x08, 0x20, 0x10, 0x01, 0x02, 0x03, 0x04, 0x07, 0x46, 0x24, 0x63}})
    ->ArgNames({"sample", "flags"});
BENCHMARK(BM_CompressBest)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
