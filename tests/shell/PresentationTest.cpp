// Layout arithmetic, the nearest-neighbour copy, dimming and screenshot names.
#include "shell/Presentation.h"
#include "shell/Screenshot.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

SurfacePtr Surface32(int w, int h) {
  return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0), SDL_FreeSurface);
}

uint32_t& PixelAt(SDL_Surface* s, int x, int y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
}

TEST(Presentation, LayoutsForWindowAutoAndFullscreen) {
  TLayout two = WindowLayout(2, 640, 480);
  EXPECT_EQ(two.ScreenWidth, 1280);
  EXPECT_EQ(two.ScreenHeight, 960);
  EXPECT_EQ(WindowLayout(0, 640, 480).ScreenWidth, 640);
  EXPECT_EQ(AutoScale(1920, 1080, 640, 480), 2);  // 3 x 480 and borders exceed 1080
  EXPECT_EQ(AutoScale(2048, 1600, 640, 480), 3);
  EXPECT_EQ(AutoScale(3840, 2160, 640, 480), 4);
  EXPECT_EQ(AutoScale(1280, 960, 640, 480), 1);  // 2x leaves no room for the borders
  EXPECT_EQ(AutoScale(0, 0, 640, 480), 1);
  TLayout full = FullscreenLayout(1920, 1080, 640, 480);
  EXPECT_EQ(full.Scale, 2);
  EXPECT_EQ(full.ScreenWidth, 1920);
  EXPECT_EQ(full.OffsetX, 320);
  EXPECT_EQ(full.OffsetY, 60);
  TLayout tiny = FullscreenLayout(0, 0, 640, 480);
  EXPECT_EQ(tiny.ScreenWidth, 640);
  EXPECT_EQ(tiny.Scale, 1);
  EXPECT_EQ(tiny.OffsetX, 0);
}

TEST(Presentation, ScaledFramePixelsAreTheFramePixelsRepeated) {
  SurfacePtr frame = Surface32(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) PixelAt(frame.get(), x, y) = uint32_t(0x010203 * (1 + x + 3 * y));
  SurfacePtr screen = Surface32(8, 7);
  SDL_FillRect(screen.get(), nullptr, 0xABCDEF);
  TLayout layout{8, 7, 2, 1, 2};
  ASSERT_TRUE(PresentScaled(frame.get(), screen.get(), layout));
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 1 && x < 7 && y >= 2 && y < 6;
      uint32_t want = inside ? PixelAt(frame.get(), (x - 1) / 2, (y - 2) / 2) : 0xABCDEF;
      EXPECT_EQ(PixelAt(screen.get(), x, y), want) << x << "," << y;
    }
  // A layout reaching past the screen draws only what fits.
  TLayout past{8, 7, 3, 4, 4};
  EXPECT_TRUE(PresentScaled(frame.get(), screen.get(), past));
  EXPECT_EQ(PixelAt(screen.get(), 6, 6), PixelAt(frame.get(), 0, 0));
  SurfacePtr other(SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 7, 16, 0xF800, 0x7E0, 0x1F, 0), SDL_FreeSurface);
  EXPECT_FALSE(PresentScaled(frame.get(), other.get(), layout));
  EXPECT_FALSE(PresentScaled(frame.get(), screen.get(), TLayout{8, 7, 2, 9, 0}));
}

TEST(Presentation, PausedFrameIsDimmedAndLabelled) {
  SurfacePtr frame = Surface32(640, 480);
  SDL_FillRect(frame.get(), nullptr, 0xFF8041);
  DimSurface(frame.get());
  EXPECT_EQ(PixelAt(frame.get(), 0, 0), 0x7F4020u);
  DrawPausedLabel(frame.get());
  EXPECT_EQ(PixelAt(frame.get(), 216, 220) & 0xFFFFFF, 0xFFFFFFu);  // the P's stem
  EXPECT_EQ(PixelAt(frame.get(), 0, 0), 0x7F4020u);
}

TEST(Screenshot, NamesCountUpFromTheFirstFreeNumber) {
  test::TTempDir dir;
  std::string folder = dir.File("shots/deeper");
  SurfacePtr frame = Surface32(640, 480);
  EXPECT_EQ(SaveScreenshot(frame.get(), folder), folder + "/zorbin-0001.png");
  EXPECT_EQ(SaveScreenshot(frame.get(), folder), folder + "/zorbin-0002.png");
  std::filesystem::remove(folder + "/zorbin-0001.png");
  EXPECT_EQ(NextScreenshotName(folder), folder + "/zorbin-0001.png");
  std::string png = test::ReadFileText(folder + "/zorbin-0002.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(uint8_t(png[18]), 640 >> 8);  // width 640, height 480 in the header
  EXPECT_EQ(uint8_t(png[19]), 640 & 0xFF);
  EXPECT_EQ(uint8_t(png[23]), 480 & 0xFF);
  EXPECT_TRUE(SaveScreenshot(frame.get(), "").empty());
  EXPECT_TRUE(SaveScreenshot(nullptr, folder).empty());
  test::WriteFileText(dir.File("file"), "x");
  EXPECT_TRUE(SaveScreenshot(frame.get(), dir.File("file")).empty());  // the folder is a file
}

}  // namespace
}  // namespace zorbin
