// Fuzz target: the tile map reader on arbitrary bytes. Whatever it loads
// must come back unchanged from every format that agrees to save it.
#include "formats/XMapUnit.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "util/Streams.h"

#include <cstdint>
#include <cstdlib>

using namespace zorbin;

namespace {

std::string Given(const std::string& text) { return text.empty() ? std::string("Unknown") : text; }

bool SameMap(const TXMap& a, const TXMap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      if (a.GetRaw(x, y) != b.GetRaw(x, y) || a.GetLogic(x, y) != b.GetLogic(x, y)) return false;
  if (Given(a.Author) != Given(b.Author) || Given(a.MapName) != Given(b.MapName) ||
      Given(a.ThirdText) != Given(b.ThirdText) || a.ExtraLines != b.ExtraLines)
    return false;
  if (a.Wraps().size() != b.Wraps().size()) return false;
  for (size_t i = 0; i < a.Wraps().size(); ++i)
    if (a.Wraps()[i].Source != b.Wraps()[i].Source || a.Wraps()[i].Logical != b.Wraps()[i].Logical) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Log) {
    Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_xmap", "-nolog"});
    Log = std::make_unique<TLogger>("", false);
  }
  TXMap map;
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  try {
    map.Load(stream);
  } catch (const EConvertError&) {
    return 0;
  } catch (const EStreamError&) {
    return 0;
  }
  // A grid with rows but no columns reads back with the default width.
  if (map.Width() == 0 && map.Height() > 0) return 0;
  // A few bytes of "WI" and "HE" announce up to a million cells; saving and
  // reading those back five times is the check's own cost, not the
  // reader's. Round trips stop at 256 x 256, ninety times a game map.
  if (int64_t(map.Width()) * map.Height() > 65536) return 0;
  for (char mode : std::string("ABTWX")) {
    TMemoryStream out;
    if (!map.Save(out, mode)) continue;
    out.SetPosition(0);
    TXMap back;
    back.Load(out);
    if (back.LastError != "OK" || !SameMap(map, back)) std::abort();
  }
  return 0;
}
