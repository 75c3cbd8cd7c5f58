// libFuzzer target: the pack checker over a pack of fuzzed files. The input
// holds the pack's "$main$.ini", then, after the line "====", the files of
// the map "Map" as the map set-up target takes them (its "objects.ini",
// "map00.mpt" and "macro.ini", each part after the next "===="); an input
// without a "====" line is the map's "objects.ini" alone under an index
// listing "Map". They are written as loose files beside the resources of a
// test pack and checked. Whatever the files hold, the checker reports: it
// returns, leaves no map-wide global behind and gives the log back.
#include "PackBuilder.h"

#include "app/Units.h"
#include "authoring/PackChecker.h"
#include "log/Logger.h"
#include "sprites/MapGlobals.h"
#include "storage/MAD4HighLevelUnit.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace zorbin;

const std::string kSeparator = "\n====\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  auto dir = std::filesystem::temp_directory_path() / ("zorbin-fuzz-check-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  // The picture reader's messages would flood the fuzzer's output.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  e2e::TPackBuilder pack(dir.string() + "/");
  e2e::WriteMapSetupResources(pack);
  InitializeUnits({(dir / "zorbin").string(), "-nolog"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  e2e::TPackBuilder pack("./");
  size_t at = input.find(kSeparator);
  if (at == std::string::npos) {
    pack.WriteIndex({"Map"});
    e2e::WriteMapSetupInput(pack, input);
  } else {
    pack.WriteText("$main$.ini", input.substr(0, at));
    e2e::WriteMapSetupInput(pack, input.substr(at + kSeparator.size()));
  }
  // A fresh opener: its cache would otherwise serve the last input's files.
  StreamOpener = std::make_unique<TQXStreamOpener>(Log->ExeDir(), MAD4Volumes.get());
  TLogger* log = Log.get();
  TExitHook hook = ExitHook();
  TPackChecker checker;
  checker.Check();
  if (SpriteEngine || TileMap || ParticleAnims || ParticleEngine) std::abort();
  if (Log.get() != log || ExitHook() != hook || !StreamOpener->CurrentDir().empty()) std::abort();
  return 0;
}
