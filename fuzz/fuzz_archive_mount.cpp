// Fuzz target for archives: any input is written to a file and mounted
// read-only through the file layer (every entry opened, decode errors
// allowed), then mounted read/write, given a new chunk and a removal, and
// mounted again: the new chunk must be found whole where Add put it.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "storage/CompressorUnit.h"
#include "storage/MAD4MidLevelUnit.h"
#include "util/Streams.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

const std::string& FuzzFile() {
  static const std::string name = "/tmp/zorbin-fuzz-archive-" + std::to_string(getpid()) + ".mad";
  return name;
}

void StartLog() {
  using namespace zorbin;
  if (Log) return;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  StartLog();
  TMemoryStream(std::vector<uint8_t>(data, data + size)).SaveToFile(FuzzFile());

  {
    TMAD4MidLevel archive;
    archive.Mount(FuzzFile(), true);
    for (int i = 0; i < archive.FileCount(); ++i) {
      try {
        archive.OpenFile(archive.FileAt(i)->Name);
      } catch (const ECompressionError&) {
      }
    }
  }

  const std::vector<uint8_t> payload = {'\x03', 'n', 'e', 'w', 'x', 'y'};
  int64_t start = -1;
  {
    TMAD4MidLevel archive;
    archive.Mount(FuzzFile(), false);
    if (archive.State() != TMAD4LowLevel::kStateMounted) return 0;
    if (archive.FileCount() > 0) archive.RemoveFile(archive.FileAt(0)->Name);
    TMemoryStream chunk(payload);
    start = archive.Add(MakeFourCC("RAWD"), chunk);
  }
  if (start < 0) return 0;
  TMAD4LowLevel again;
  again.Mount(FuzzFile(), true);
  const TMAD4ChunkData* found = again.ChunkAt(again.ChunkIndexByStart(start));
  if (!found || found->FourCC != MakeFourCC("RAWD") || found->Size != payload.size()) std::abort();
  uint32_t chunkSize = 0;
  auto stream = again.OpenChunkStream(start, chunkSize);
  std::vector<uint8_t> back(payload.size());
  stream->ReadBuffer(back.data(), back.size());
  if (back != payload) std::abort();
  return 0;
}
