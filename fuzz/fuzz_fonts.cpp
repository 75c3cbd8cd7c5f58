// libFuzzer target: font files. The first byte picks the reader (raster
// ".qxr" or TGA with glyph table); the font is then measured, drawn with
// every code, re-coloured and given a colour key. Also the grey-map reader.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "util/Streams.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_fonts", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  SetImageDepth(32);
  // The TGA reader's messages would flood the fuzzer's output.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  if (size == 0) return 0;
  TMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
  std::unique_ptr<TFont> font;
  try {
    switch (data[0] % 3) {
      case 0: font = std::make_unique<TQXRFont>(stream); break;
      case 1: font = std::make_unique<TTGAFont>(stream); break;
      default: TImage::CreateFromGreyMap(stream, data[0], 128, 255); return 0;
    }
  } catch (const std::exception&) {
    return 0;  // short streams and surfaces too large are reported by exceptions
  }
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[size_t(i)] = char(i);
  TImage dest(64, 32);
  for (int align = 0; align < 3; ++align) font->TextOutOn(&dest, all, 32, 4, align);
  font->TextWidth(all);
  try {
    font->SetColorKey(0, 0, 0);
    font->SetColor(64, 96, 128);
  } catch (const std::exception&) {
    return 0;
  }
  font->TextOutOn(&dest, all, -3, -2, 0);
  return 0;
}
