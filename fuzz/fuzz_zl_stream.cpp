// libFuzzer target: ".ZL" files through the stream opener. The input is
// written as a ".ZL" file in the working folder and under "Data\" and
// opened by name from both: each open inflates it whole or raises and
// caches nothing; what it gives must equal the in-memory inflation of the
// same bytes, and a second open must come from the cache, equal and apart.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "storage/CompressorUnit.h"
#include "storage/MyZStreamUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_zl_stream", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  auto dir = std::filesystem::temp_directory_path() / ("zorbin-fuzz-zl-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "Data");
  std::filesystem::current_path(dir);
  return 0;
}

namespace {

using namespace zorbin;

// The opener's result, or nullptr when it raised; a raise leaves no cache entry.
std::unique_ptr<TStream> TryOpen(TQXStreamOpener& opener, const std::string& name) {
  int cached = opener.CacheCount();
  try {
    return opener.OpenStream(name);
  } catch (const std::exception&) {
    if (opener.CacheCount() != cached) std::abort();
    return nullptr;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  std::vector<uint8_t> bytes(data, data + size);
  TMemoryStream(bytes).SaveToFile("level.ZL");
  TMemoryStream(bytes).SaveToFile("Data/pack.zl");

  bool inflates = true;
  std::vector<uint8_t> expected;
  try {
    expected = InflateBytes(data, size);
  } catch (const ECompressionError&) {
    inflates = false;
  }

  TQXStreamOpener opener("", nullptr);
  opener.SetCurrentDir("Maps");
  for (const char* name : {"..\\LEVEL.zl", "\\pack.ZL"}) {
    std::unique_ptr<TStream> first = TryOpen(opener, name);
    if (bool(first) != inflates) std::abort();
    if (!first) continue;
    if (first->Position() != 0 || first->ReadAll() != expected) std::abort();
    std::unique_ptr<TStream> again = opener.OpenStream(name);
    if (again.get() == first.get() || again->ReadAll() != expected) std::abort();
  }
  if (opener.CacheCount() != (inflates ? 2 : 0)) std::abort();
  return 0;
}
