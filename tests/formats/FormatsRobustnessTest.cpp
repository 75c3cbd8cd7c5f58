// Inputs the INI and tile map fuzzers found, fed back byte for byte from
// fuzz-findings/.
#include "formats/XMapUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace zorbin {
namespace {

std::string FormatFinding(const std::string& name) {
  return test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/tests/formats/fuzz-findings/" + name);
}

TEST(FormatsRobustness, FewBytesAnnouncingManyCells) {
  // 69 bytes of MAPX whose later "WI2" and "HE320000" make a grid of
  // 640000 cells without rows; the fuzz target's five save-and-read round
  // trips of it took seconds, so they stop at 256 x 256 cells. The reader
  // itself takes the grid, within its cell limit, and writes it back.
  std::string bytes = FormatFinding("fuzz_xmap-few-bytes-many-cells");
  ASSERT_EQ(bytes.size(), 69u);
  TMemoryStream stream(bytes);
  TXMap map;
  map.Load(stream);
  EXPECT_EQ(map.LastError, "OK");
  EXPECT_EQ(map.Width(), 2);
  EXPECT_EQ(map.Height(), 320000);
  EXPECT_EQ(map.GetRaw(1, 319999), 0);
  TMemoryStream out;
  ASSERT_TRUE(map.Save(out, 'X'));
  out.SetPosition(0);
  TXMap back;
  back.Load(out);
  EXPECT_EQ(back.Height(), 320000);
}

}  // namespace
}  // namespace zorbin
