// libFuzzer target: TGA pictures (every image type, the info bytes, the
// glyph table, frame stacks), then the transform commands on what was read.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/RawPictureUnit.h"
#include "util/Streams.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_tga", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  // The reader's messages would flood the fuzzer's output.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  TRawPicture picture;
  try {
    picture.ReadTGAStream(stream);
  } catch (const EStreamError&) {
    return 0;
  }
  if (picture.Data.size() != size_t(picture.Width) * size_t(picture.Height) * 3) __builtin_trap();
  // Transforms on small pictures only, to keep runs fast.
  if (picture.Data.size() <= 64 * 1024) picture.MultiTransform("HVIRrD");
  if (picture.Data.size() != size_t(picture.Width) * size_t(picture.Height) * 3) __builtin_trap();
  return 0;
}
