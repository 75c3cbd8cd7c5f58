// PngWriterTest: enlarging R, G, B pixels by whole factors.
#include "pictures/PngWriterUnit.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

TEST(PngWriter, ScaleRGBMakesEachPixelABlock) {
  // 2 x 1: red, blue.
  std::vector<uint8_t> rgb = {255, 0, 0, 0, 0, 255};
  std::vector<uint8_t> scaled = ScaleRGB(2, 1, rgb, 2);
  std::vector<uint8_t> row = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
  std::vector<uint8_t> expected = row;
  expected.insert(expected.end(), row.begin(), row.end());
  EXPECT_EQ(scaled, expected);
  EXPECT_EQ(ScaleRGB(2, 1, rgb, 1), rgb);
}

}  // namespace
}  // namespace zorbin
