// TileMapTest: the cell grid: raw and logical values, wraps, resizing, shifting and size limits.
#include "formats/TileMapUnit.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace zorbin {
namespace {

// Fills the raw grid row by row from text, one character per cell.
void FillRaw(TTileMap& map, const std::string& text) {
  for (int32_t i = 0; i < int32_t(text.size()); ++i)
    map.SetRaw(i % map.Width(), i / map.Width(), uint8_t(text[size_t(i)]));
}

std::string Raws(const TTileMap& map) {
  std::string s;
  for (int32_t y = 0; y < map.Height(); ++y)
    for (int32_t x = 0; x < map.Width(); ++x) s += char(map.GetRaw(x, y));
  return s;
}

TEST(TileMap, WrapsMapRawToLogicalFirstWrapWins) {
  TTileMap map;
  map.SetSize(3, 1);
  FillRaw(map, "a S");
  test::TCapturedLog log;
  map.AddLogicalWrap('a', 15);
  map.AddLogicalWrap(' ', 0);
  map.AddLogicalWrap('a', 12);  // a second wrap of the same source loses
  map.ApplyLogicalWraps();
  EXPECT_EQ(map.GetLogic(0, 0), 15);
  EXPECT_EQ(map.GetLogic(1, 0), 0);
  EXPECT_EQ(map.GetLogic(2, 0), 83);  // unwrapped: its own character code
  EXPECT_TRUE(log.Contains("<TileMapUnit, AddLogicalWrap> 97, 15"));
  EXPECT_TRUE(log.Contains("<TileMapUnit, AddLogicalWrap> 32, 0"));
  ASSERT_EQ(map.Wraps().size(), 3u);
  EXPECT_EQ(map.Wraps()[2].Logical, 12);
}

TEST(TileMap, SetSizeAndClearForgetEverything) {
  TTileMap map;
  map.SetSize(2, 2);
  map.SetRaw(1, 1, 9);
  map.SetLogic(1, 1, 9);
  map.AddLogicalWrap(1, 2);
  map.MapName = "Name";
  map.ExtraLines.push_back("x");
  map.OriginX = 3;
  map.SetSize(32, 22);
  EXPECT_EQ(map.Width(), 32);
  EXPECT_EQ(map.Height(), 22);
  int nonZero = 0;
  for (int32_t y = 0; y < 22; ++y)
    for (int32_t x = 0; x < 32; ++x) nonZero += map.GetRaw(x, y) != 0 || map.GetLogic(x, y) != 0;
  EXPECT_EQ(nonZero, 0);
  EXPECT_TRUE(map.Wraps().empty());
  EXPECT_TRUE(map.ExtraLines.empty());
  EXPECT_EQ(map.MapName, "Unknown");
  EXPECT_EQ(map.OriginX, 0);

  map.Clear();
  EXPECT_EQ(map.Width(), 0);
  EXPECT_EQ(map.Height(), 0);
  EXPECT_EQ(map.GetRaw(0, 0), 0);
}

TEST(TileMap, ResizeKeepsCellsAndRefusesShrinking) {
  TTileMap map;
  map.SetSize(2, 2);
  FillRaw(map, "abcd");
  map.SetLogic(1, 1, 77);
  map.Resize(3, 3);
  EXPECT_EQ(Raws(map), std::string("ab\0cd\0\0\0\0", 9));
  EXPECT_EQ(map.GetLogic(1, 1), 77);
  EXPECT_EQ(map.GetLogic(2, 2), 0);
  map.Resize(2, 3);
  EXPECT_EQ(map.Width(), 3);
  map.Resize(100000, 100000);  // beyond the cell limit: unchanged
  EXPECT_EQ(map.Width(), 3);
  EXPECT_EQ(map.GetRaw(0, 0), 'a');
}

TEST(TileMap, ShiftWrapsRowMajor) {
  TTileMap map;
  map.SetSize(3, 2);
  FillRaw(map, "abcdef");
  map.Shift(1, 0);
  EXPECT_EQ(Raws(map), "fabcde");
  map.Shift(0, 1);
  EXPECT_EQ(Raws(map), "cdefab");
  map.Shift(2, 1);  // five onwards
  EXPECT_EQ(Raws(map), "defabc");
  map.Shift(-1, 0);  // taken modulo the cell count instead of running off the grid
  EXPECT_EQ(Raws(map), "efabcd");
  TTileMap empty;
  empty.Shift(1, 1);
  EXPECT_EQ(empty.Width(), 0);
}

TEST(TileMap, OriginAndCellsOutsideTheGrid) {
  TTileMap map;
  map.SetSize(2, 2);
  FillRaw(map, "abcd");
  map.ApplyLogicalWraps();
  map.OriginX = 1;
  map.OriginY = 1;
  EXPECT_EQ(map.GetLogic(1, 1), 'a');
  EXPECT_EQ(map.GetRaw(2, 2), 'd');
  EXPECT_EQ(map.GetLogic(0, 0), 0);
  EXPECT_EQ(map.GetLogic(3, 1), 0);
  map.SetLogic(0, 1, 5);  // outside: dropped
  map.SetLogic(INT_MIN, INT_MAX, 5);
  map.SetRaw(INT_MAX, INT_MIN, 5);
  EXPECT_EQ(map.GetLogic(1, 1), 'a');
  EXPECT_EQ(map.GetLogic(INT_MIN, INT_MIN), 0);
  map.SetLogic(2, 1, 64);
  EXPECT_EQ(map.GetLogic(2, 1), 64);
  EXPECT_EQ(map.GetRaw(2, 1), 'b');
}

TEST(TileMap, FitsInBytesAtTheBoundary) {
  TTileMap map;
  EXPECT_TRUE(map.FitsInBytes());
  map.SetSize(2, 1);
  map.SetRaw(0, 0, 255);
  EXPECT_TRUE(map.FitsInBytes());
  map.SetRaw(1, 0, 256);
  EXPECT_FALSE(map.FitsInBytes());
  map.SetRaw(1, 0, -1);
  EXPECT_FALSE(map.FitsInBytes());
}

TEST(TileMap, SizesBeyondTheLimitLeaveAnEmptyMap) {
  TTileMap map;
  map.SetSize(INT_MAX, INT_MAX);
  EXPECT_EQ(map.Width(), 0);
  EXPECT_EQ(map.Height(), 0);
  map.SetSize(-5, 3);
  EXPECT_EQ(map.Width(), 0);
  EXPECT_EQ(map.Height(), 3);
  EXPECT_EQ(map.GetRaw(0, 0), 0);
}

}  // namespace
}  // namespace zorbin
