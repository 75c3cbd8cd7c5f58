// libFuzzer target: image list files of both versions. The lines name
// pictures in a scratch folder (a still picture and an animated strip), so
// frame groups, transform suffixes, forced colour keys and masks all run.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageCollectionUnit.h"
#include "pictures/ImageUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// A top-down 24-bit TGA of w x 2 pixels with the given ID field.
void WriteTga(const std::string& name, int w, const std::string& id) {
  std::string s(18, '\0');
  s[0] = char(id.size());
  s[2] = 2;
  s[12] = char(w), s[14] = 2, s[16] = 24, s[17] = 0x20;
  s += id;
  for (int i = 0; i < w * 2; ++i) s += {char(i * 7), char(i * 13), char(i & 1 ? 0 : 200)};
  zorbin::TFileStream file(name, zorbin::TFileMode::Create);
  file.WriteString(s);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_image_list", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  SetImageDepth(32);
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  auto dir = std::filesystem::temp_directory_path() / "zorbin-fuzz-image-list";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  WriteTga("a.tga", 8, "");
  WriteTga("s.tga", 12, std::string("\x04\x70", 2));
  StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  TImageCollection collection;
  try {
    collection.Load(stream);
  } catch (const std::exception&) {
    // Missing pictures raise out of Load; what was added stays.
  }
  collection.ListItems();
  for (int i = 0; i < collection.Count(); ++i) collection.FindImage(collection.Item(i).Name);
  return 0;
}
