// ImageSurfaceTest: the image surface and its drawing primitives at 24 and 32 bits, with and without a surface.
#include "pictures/ImageUnit.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zorbin {
namespace {

TEST(ImageSurface, DepthFollowsTheGlobalImageDepth) {
  SetImageDepth(24);
  TImage a(5, 5);
  EXPECT_EQ(a.Surface->format->BitsPerPixel, 24);
  SetImageDepth(32);
  TImage b(5, 5);
  EXPECT_EQ(b.Surface->format->BitsPerPixel, 32);
  SetImageDepth(24);
}

TEST(ImageSurface, RectanglePaintsExactlyTheBorder) {
  SetImageDepth(32);
  TImage img(20, 20);
  img.Rectangle(10, 10, 5, 3, 1, 2, 3);
  uint32_t c = img.MapRGB(1, 2, 3);
  int count = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (img.GetPixel(x, y) == c) {
        ++count;
        bool border = x >= 10 && x <= 14 && y >= 10 && y <= 12 && (x == 10 || x == 14 || y == 10 || y == 12);
        EXPECT_TRUE(border) << x << "," << y;
      }
  EXPECT_EQ(count, 12);
  SetImageDepth(24);
}

TEST(ImageSurface, TileCutsTheLastColumnAndRow) {
  SetImageDepth(32);
  TImage dst(100, 50);
  TImage src(32, 32);
  // A marker in the source's bottom-right corner shows where each cell ends.
  src.FillRect(0, 0, 32, 32, 0, 255, 0);
  src.PutPixel(31, 31, 255, 0, 0);
  dst.Tile(&src);
  uint32_t red = dst.MapRGB(255, 0, 0), green = dst.MapRGB(0, 255, 0);
  EXPECT_EQ(dst.GetPixel(31, 31), red);
  EXPECT_EQ(dst.GetPixel(95, 31), red);
  EXPECT_EQ(dst.GetPixel(99, 49), green);  // last column 4 wide, last row 18 high: no marker
  EXPECT_EQ(dst.GetPixel(96, 32), green);
  SetImageDepth(24);
}

TEST(ImageSurface, PixelsOn24And32BitSurfaces) {
  for (int depth : {24, 32}) {
    SetImageDepth(depth);
    TImage img(3, 3);
    img.PutPixel(0, 0, 255, 0, 0);
    EXPECT_EQ(img.GetPixel(0, 0), img.MapRGB(255, 0, 0));
    EXPECT_EQ(img.GetPixel(1, 0), 0u);
    img.PutPixelRaw(2, 2, 0x123456);
    EXPECT_EQ(img.GetPixel(2, 2), 0x123456u);
    EXPECT_EQ(img.GetPixel(5, 5), 0u);  // outside reads 0
  }
  SetImageDepth(24);
}

TEST(ImageSurface, WithoutSurfaceEverythingIsANoOp) {
  TImage empty;
  TImage real(4, 4);
  empty.FillRect(0, 0, 4, 4, 1, 1, 1);
  empty.PutPixel(0, 0, 1, 1, 1);
  empty.Tile(&real);
  real.Draw(0, 0, &empty);
  EXPECT_EQ(empty.GetPixel(0, 0), 0u);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.FrameWidth(), 0);
  EXPECT_EQ(real.GetPixel(0, 0), 0u);
}

TEST(ImageSurface, CreationFailureLogsAndRaises) {
  test::TCapturedLog log;
  EXPECT_THROW(TImage(-1, 5), std::runtime_error);
  EXPECT_TRUE(log.Contains("{ImageUnit, TImage.Create} Cannot create surface (-1x5)"));
}

TEST(ImageSurface, AllImagesTogetherStayWithinTheirMemory) {
  // Pictures of 16 MB fill what all images may hold; one more is refused
  // until one of them goes, and the count follows ownership.
  test::TCapturedLog log;
  SetImageDepth(32);
  const size_t before = ImageBytes();
  std::vector<std::unique_ptr<TImage>> images;
  while (ImageBytes() + (size_t(16) << 20) <= kMaxImageBytes) images.push_back(std::make_unique<TImage>(2048, 2048));
  EXPECT_GE(images.size(), 3u);
  EXPECT_THROW(TImage(2048, 2048), std::runtime_error);
  EXPECT_TRUE(log.Contains("{ImageUnit, TImage.Create} Cannot create surface (2048x2048)"));
  SDL_Surface* wrapped = images.back()->Surface;
  images.back()->SetSurface(wrapped, false);  // wrapped only: no longer counted
  EXPECT_EQ(ImageBytes(), before + (images.size() - 1) * (size_t(16) << 20));
  images.back()->SetSurface(wrapped, true);
  images.pop_back();
  TImage again(2048, 2048);
  ASSERT_NE(again.Surface, nullptr);
  images.clear();
  EXPECT_EQ(ImageBytes(), before + (size_t(16) << 20));
  SetImageDepth(24);
}

}  // namespace
}  // namespace zorbin

namespace zorbin {
namespace {

// A colour-keyed surface is run-length encoded by its first blit; pixel
// access must still see (and change) the real pixels.
TEST(ImageSurface, PixelsOfARunLengthEncodedSurface) {
  SetImageDepth(32);
  TImage keyed(8, 4);
  keyed.FillRect(0, 0, 8, 4, 10, 20, 30);
  keyed.ColorKeyed = true;
  keyed.ApplyColorKey();
  TImage target(8, 4);
  target.Draw(0, 0, &keyed);
  EXPECT_EQ(keyed.GetPixel(3, 2), keyed.MapRGB(10, 20, 30));
  keyed.PutPixelRaw(3, 2, 0);
  target.Draw(0, 0, &keyed);
  keyed.PutPixel(4, 2, 1, 2, 3);
  target.FillRect(0, 0, 8, 4, 0, 0, 0);
  target.Draw(0, 0, &keyed);
  EXPECT_EQ(target.GetPixel(3, 2), 0u);  // now transparent
  EXPECT_EQ(target.GetPixel(4, 2), target.MapRGB(1, 2, 3));
  SetImageDepth(24);
}

}  // namespace
}  // namespace zorbin
