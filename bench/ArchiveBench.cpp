// ArchiveBench: the archive as the game uses it. Opening every file of an
// archive packed as "zorbin-tool pack --best" packs it, against zlib's own
// inflation and memcpy of the same decoded files in the same run; a cache
// hit of the stream opener against memcpy of the same bytes; and mounting an
// archive of 1000 chunks.
#include "BenchData.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "storage/CompressorUnit.h"
#include "storage/MAD4HighLevelUnit.h"
#include "storage/MAD4MidLevelUnit.h"
#include "storage/MyZStreamUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <map>

namespace zorbin {
namespace {

using bench::Bytes;
namespace fs = std::filesystem;

fs::path WorkDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / "zorbin-archive-bench";
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// The log as "-nolog" leaves it, or writing every level to a file.
void UseLog(bool active) {
  std::vector<std::string> args{"bench"};
  if (!active) args.push_back("-nolog");
  Parameters = std::make_unique<TParameters>(args);
  Log = std::make_unique<TLogger>(active ? (WorkDir() / "bench.log").string() : std::string(), false);
}

// A sprite strip: frames of a shaded ball on black (the colour key).
Bytes SpritePixels(int frameWidth, int height, int frames, uint32_t seed) {
  RandSeed(seed);
  const int width = frameWidth * frames;
  Bytes out(size_t(width) * size_t(height) * 3, 0);
  const uint8_t base[3] = {uint8_t(Random(200)), uint8_t(Random(200)), uint8_t(Random(200))};
  for (int f = 0; f < frames; ++f)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < frameWidth; ++x) {
        const int dx = 2 * x - frameWidth + f % 3, dy = 2 * y - height;
        const int d = dx * dx * height * height + dy * dy * frameWidth * frameWidth;
        const int r = frameWidth * frameWidth * height * height;
        if (d >= r) continue;
        const int shade = d < r / 4 ? 50 : d < r * 3 / 4 ? 20 : 0;
        uint8_t* p = out.data() + (size_t(y) * size_t(width) + size_t(f * frameWidth + x)) * 3;
        for (int c = 0; c < 3; ++c) p[c] = uint8_t(base[c] + shade);
      }
  return out;
}

// A 32 x 22 tile map text with its header lines.
Bytes MapText(uint32_t seed) {
  RandSeed(seed);
  std::string s = "MAPT\r\nWI=32\r\nHE=22\r\nTEXT=Map\r\n";
  for (int r = 0; r < 22; ++r) {
    for (int c = 0; c < 32; ++c) s += r > 18 || Random(6) == 0 ? '#' : Random(12) == 0 ? 'o' : ' ';
    s += "\r\n";
  }
  s += "#=\\tile.tga\r\no=\\box.tga[1]\r\n";
  return Bytes(s.begin(), s.end());
}

// The files of a game-sized pack (80 files, about 1 MB decoded, the largest
// near 69 KB like the game's own): per map an object file, a tile map and
// four pictures; shared pictures (a 49-frame air meter stack, a player
// strip, a logo, a scenery picture) and the pack index.
std::map<std::string, Bytes> GamePackFiles() {
  std::map<std::string, Bytes> files;
  std::string index = "[*Maps]\r\n";
  for (int m = 0; m < 12; ++m) {
    const std::string dir = std::string("Map_") + char('A' + m) + "\\";
    index += dir + "\r\n";
    files[dir + "objects.ini"] = bench::ObjectText(size_t(2000 + 600 * m), uint32_t(100 + m));
    files[dir + "map00.mpt"] = MapText(uint32_t(200 + m));
    files[dir + "mover.tga"] = bench::TrueColourTga(SpritePixels(32, 16, 4, uint32_t(300 + m)), 128, 16, {4, 0x70});
    files[dir + "crater.tga"] = bench::TrueColourTga(SpritePixels(64, 32, 1, uint32_t(400 + m)), 64, 32);
    files[dir + "tile.tga"] = bench::TrueColourTga(bench::GamePixels(16, 64, uint32_t(500 + m)), 16, 64);
    files[dir + "scenery.tga"] =
        bench::TrueColourTga(bench::GamePixels(128, 64 + 8 * m, uint32_t(600 + m)), 128, 64 + 8 * m);
  }
  files["$main$.ini"] = Bytes(index.begin(), index.end());
  Bytes airId(16, 0);
  airId[0] = 49;
  airId[1] = 0x10;
  airId[6] = 0x80;
  Bytes air;
  for (int f = 0; f < 49; ++f)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool lit = 24 - y <= f / 2;
        air.insert(air.end(), {uint8_t(lit ? 200 : 30), uint8_t(lit ? 80 + y * 4 : 30), uint8_t(lit ? 20 : 30)});
      }
  files["common\\airm.tga"] = bench::TrueColourTga(air, 12, 1176, airId);
  files["common\\player.tga"] = bench::TrueColourTga(SpritePixels(16, 32, 16, 700), 256, 32, {16, 0x50});
  files["common\\logo.tga"] = bench::TrueColourTga(bench::GamePixels(320, 64, 800), 320, 64);
  files["common\\stars.tga"] = bench::TrueColourTga(SpritePixels(8, 8, 6, 900), 48, 8, {6, 0x70});
  files["common\\background.tga"] = bench::TrueColourTga(bench::GamePixels(222, 103, 1000), 222, 103);
  files["common\\macros.ini"] = bench::ObjectText(1500, 1100);
  files["common\\box.tga"] = bench::TrueColourTga(SpritePixels(16, 16, 3, 1200), 48, 16, {3, 0x40});
  return files;
}

// Packs the files with TCompressor::CompressBest into a new archive.
std::string PackArchive(const std::string& name, const std::map<std::string, Bytes>& files) {
  const std::string fileName = (WorkDir() / name).string();
  TMAD4LowLevel archive;
  archive.Mount(fileName, false);
  for (const auto& [file, content] : files) {
    TMemoryStream payload(TMAD4MidLevel::FilePayload(file, TCompressor::CompressBest(content)));
    archive.Add(kFourCCComp, payload);
  }
  archive.Unmount();
  return fileName;
}

struct TPack {
  std::string fileName;
  std::vector<std::string> names;
  std::vector<Bytes> contents;  // decoded, as OpenFile gives them
  size_t decodedBytes = 0;
  std::map<int, int> flags;  // flag byte -> files
};

// range(0): 0 = the game-sized pack above, 1 = the default map pack that the
// build makes (bin/Zorbin.data).
const TPack& Pack(int which) {
  static std::map<int, TPack> packs;
  auto found = packs.find(which);
  if (found != packs.end()) return found->second;
  UseLog(false);
  TPack pack;
  pack.fileName =
      which == 0 ? PackArchive("game.data", GamePackFiles()) : (fs::path(ZORBIN_BIN_DIR) / "Zorbin.data").string();
  TMAD4MidLevel archive;
  archive.Mount(pack.fileName, true);
  for (int i = 0; i < archive.FileCount(); ++i) {
    const TMAD4FileData* file = archive.FileAt(i);
    auto content = archive.OpenFile(file->Name);
    if (!content) continue;
    TFileStream raw(pack.fileName, TFileMode::OpenRead);
    raw.SetPosition(file->DataPos);
    ++pack.flags[file->DataSize == 0 ? -1 : raw.ReadByte()];
    pack.names.push_back(file->Name);
    pack.contents.push_back(content->Data());
    pack.decodedBytes += content->Data().size();
  }
  return packs[which] = std::move(pack);
}

void CountPack(benchmark::State& state, const TPack& pack) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pack.decodedBytes));
  state.counters["files"] = double(pack.names.size());
  state.counters["decoded_bytes"] = double(pack.decodedBytes);
}

// TMAD4MidLevel::OpenFile of every file, in directory order.
void BM_ArchiveOpenEveryFile(benchmark::State& state) {
  const TPack& pack = Pack(int(state.range(0)));
  UseLog(false);
  TMAD4MidLevel archive;
  archive.Mount(pack.fileName, true);
  for (auto _ : state)
    for (const std::string& name : pack.names) {
      auto file = archive.OpenFile(name);
      benchmark::DoNotOptimize(file->Memory());
    }
  CountPack(state, pack);
  for (const auto& [flag, count] : pack.flags)
    state.counters["flag_" + (flag < 0 ? std::string("none") : IntToHex(uint64_t(flag), 2))] = count;
}

// zlib's own inflation of every decoded file, each deflated at level 9.
void BM_ArchiveZlibEveryFile(benchmark::State& state) {
  const TPack& pack = Pack(int(state.range(0)));
  std::vector<Bytes> deflated;
  for (const Bytes& content : pack.contents) deflated.push_back(DeflateBytes(content, 9));
  std::vector<Bytes> out(pack.contents.size());
  for (size_t i = 0; i < out.size(); ++i) out[i].resize(pack.contents[i].size());
  for (auto _ : state)
    for (size_t i = 0; i < out.size(); ++i) {
      uLongf size = uLongf(out[i].size());
      uncompress(out[i].data(), &size, deflated[i].data(), uLong(deflated[i].size()));
      benchmark::DoNotOptimize(out[i].data());
    }
  CountPack(state, pack);
}

void BM_ArchiveMemcpyEveryFile(benchmark::State& state) {
  const TPack& pack = Pack(int(state.range(0)));
  std::vector<Bytes> out(pack.contents.size());
  for (size_t i = 0; i < out.size(); ++i) out[i].resize(pack.contents[i].size());
  for (auto _ : state)
    for (size_t i = 0; i < out.size(); ++i) {
      std::memcpy(out[i].data(), pack.contents[i].data(), out[i].size());
      benchmark::DoNotOptimize(out[i].data());
      benchmark::ClobberMemory();
    }
  CountPack(state, pack);
}

BENCHMARK(BM_ArchiveOpenEveryFile)->Arg(0)->Arg(1);
BENCHMARK(BM_ArchiveZlibEveryFile)->Arg(0)->Arg(1);
BENCHMARK(BM_ArchiveMemcpyEveryFile)->Arg(0)->Arg(1);

// The names the cache benchmarks open: a small object file, the 49-frame
// air meter stack (42 KB) and the largest picture (near 69 KB).
const char* const kCachedNames[] = {"Map_A\\objects.ini", "common\\airm.tga", "common\\background.tga"};

// TQXStreamOpener::OpenStream of a name already in the cache (the log off,
// as "-nolog" leaves it); range(0) picks the name.
void BM_CacheHit(benchmark::State& state) {
  const TPack& pack = Pack(0);
  UseLog(false);
  TMAD4HighLevel volumes;
  volumes.Mount(pack.fileName, 100, true);
  TQXStreamOpener opener((WorkDir() / "exe" / "").string(), &volumes);
  const std::string name = kCachedNames[state.range(0)];
  size_t size = opener.OpenStream(name)->Size();
  for (auto _ : state) {
    auto stream = opener.OpenStream(name);
    benchmark::DoNotOptimize(stream.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
  state.counters["bytes"] = double(size);
}

// memcpy of the same bytes into a fresh buffer, as a copy must be made.
void BM_CacheMemcpy(benchmark::State& state) {
  const TPack& pack = Pack(0);
  const std::string name = kCachedNames[state.range(0)];
  size_t index = 0;
  while (pack.names[index] != name) ++index;
  const Bytes& content = pack.contents[index];
  for (auto _ : state) {
    Bytes copy(content.size());
    std::memcpy(copy.data(), content.data(), content.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(content.size()));
}

BENCHMARK(BM_CacheHit)->DenseRange(0, 2);
BENCHMARK(BM_CacheMemcpy)->DenseRange(0, 2);

// An archive of 1000 chunks: 999 small compressed files and the trailer.
const std::string& ThousandChunkArchive() {
  static const std::string fileName = [] {
    UseLog(false);
    std::map<std::string, Bytes> files;
    for (int i = 0; i < 999; ++i) {
      std::string name = std::string("Map_") + char('A' + i % 12) + "\\object" + IntToStr(i) + ".ini";
      files[name] = bench::ObjectText(size_t(200 + i % 300), uint32_t(i));
    }
    return PackArchive("thousand.data", files);
  }();
  return fileName;
}

// TMAD4MidLevel::Mount (chunk scan and file directory), read-only; range(0)
// 0 = the log off, 1 = the log writing every level to a file.
void BM_Mount1000Chunks(benchmark::State& state) {
  const std::string& fileName = ThousandChunkArchive();
  UseLog(state.range(0) != 0);
  int chunks = 0;
  for (auto _ : state) {
    TMAD4MidLevel archive;
    archive.Mount(fileName, true);
    chunks = archive.ChunkCount();
    state.PauseTiming();
    archive.Unmount();
    state.ResumeTiming();
  }
  state.counters["chunks"] = chunks;
  UseLog(false);
}
BENCHMARK(BM_Mount1000Chunks)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zorbin

BENCHMARK_MAIN();
