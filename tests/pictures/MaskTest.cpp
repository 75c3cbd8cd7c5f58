// MaskTest: collision masks that mark every non-zero pixel of a picture with the mask value.
#include "pictures/ImageUnit.h"
#include "pictures/MaskUnit.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

TEST(Mask, MarksEveryNonZeroPixelWithTheValue) {
  for (int depth : {24, 32}) {
    SetImageDepth(depth);
    TImage img(3, 2);
    img.PutPixelRaw(1, 0, 5);
    img.PutPixelRaw(0, 1, 7);
    TMask8 mask(img, 1);
    EXPECT_EQ(mask.Width, 3);
    EXPECT_EQ(mask.Height, 2);
    EXPECT_EQ(mask.Data, (std::vector<uint8_t>{0, 1, 0, 1, 0, 0})) << depth;
    TMask other(img, 200);
    EXPECT_EQ(other.Data, (std::vector<uint8_t>{0, 200, 0, 200, 0, 0})) << depth;
  }
  SetImageDepth(24);
}

TEST(Mask, BlackAndMissingSurfaces) {
  TImage black(4, 3);
  TMask mask(black, 1);
  EXPECT_EQ(mask.Data, std::vector<uint8_t>(12, 0));
  TImage none;
  TMask empty(none, 1);
  EXPECT_EQ(empty.Width, 0);
  EXPECT_EQ(empty.Height, 0);
  EXPECT_TRUE(empty.Data.empty());
}

}  // namespace
}  // namespace zorbin
