// Faults found by the fuzzers and the whole-game runs in pictures and
// fonts; fuzz inputs are fed back byte for byte from fuzz-findings/.
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "pictures/RawPictureUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorbin {
namespace {

// The finding without the fuzz target's first byte (its reader choice).
std::vector<uint8_t> PictureFinding(const std::string& name) {
  std::string bytes = test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/tests/pictures/fuzz-findings/" + name);
  return std::vector<uint8_t>(bytes.begin() + (bytes.empty() ? 0 : 1), bytes.end());
}

TEST(PicturesRobustness, TinyTgaFontAnnouncingAHugePictureIsRefused) {
  // 731 bytes announcing 10240 x 1280 pixels of depth 0: the picture was
  // sized (39 MB) though nothing could be decoded, and the font then made a
  // surface, a grey copy and a re-tinted surface of it.
  SetImageDepth(32);
  std::vector<uint8_t> bytes = PictureFinding("fuzz_fonts-huge-undecoded-picture");
  ASSERT_EQ(bytes.size(), 731u);
  TMemoryStream raw(bytes);
  TRawPicture picture;
  testing::internal::CaptureStdout();
  picture.ReadTGAStream(raw);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "RTGA: Image too large!\n");
  EXPECT_EQ(picture.Width, 0);
  EXPECT_TRUE(picture.Data.empty());
  TMemoryStream stream(bytes);
  TTGAFont font(stream);
  ASSERT_TRUE(font.Image);
  EXPECT_EQ(font.Image->Width(), 16);
  EXPECT_EQ(font.Image->Height(), 16);
  font.SetColor(10, 20, 30);
  EXPECT_EQ(font.Image->Width(), 16);
  SetImageDepth(24);
}

TEST(PicturesRobustness, FontPictureWithoutPixelDataIsRefusedBeyondItsLimit) {
  // 84 bytes announcing a 1799 x 1799 font picture of a depth no reader
  // decodes: within the former 16 MiB it was sized, and the font's surface
  // and grey map over 3 million pixels took more than the fuzzer's second.
  SetImageDepth(32);
  std::vector<uint8_t> bytes = PictureFinding("fuzz_fonts-slow-undecoded-font-picture");
  ASSERT_EQ(bytes.size(), 84u);
  TMemoryStream raw(bytes);
  TRawPicture picture;
  testing::internal::CaptureStdout();
  picture.ReadTGAStream(raw);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "RTGA: Image too large!\n");
  EXPECT_EQ(picture.Width, 0);
  TMemoryStream stream(bytes);
  TTGAFont font(stream);
  ASSERT_TRUE(font.Image);
  EXPECT_EQ(font.Image->Width(), 16);
  SetImageDepth(24);
}

TEST(PicturesRobustness, PixelsOfAColourKeyedSurfaceAfterItsFirstBlit) {
  // The first blit run-length encodes a colour-keyed surface and frees its
  // pixels; a bridge crumbling pixel by pixel then wrote through a stale
  // pointer and the game died of a signal.
  SetImageDepth(32);
  TImage keyed(16, 16);
  keyed.FillRect(0, 0, 16, 16, 200, 100, 50);
  keyed.ColorKeyed = true;
  keyed.ApplyColorKey();
  TImage dest(32, 32);
  dest.Draw(0, 0, &keyed);
  keyed.PutPixelRaw(15, 15, 0);
  keyed.PutPixel(3, 4, 1, 2, 3);
  EXPECT_EQ(keyed.GetPixel(15, 15), 0u);
  EXPECT_EQ(keyed.GetPixel(3, 4), keyed.MapRGB(1, 2, 3));
  EXPECT_EQ(keyed.GetPixel(0, 0), keyed.MapRGB(200, 100, 50));
  TImage again(32, 32);
  again.Draw(0, 0, &keyed);
  EXPECT_EQ(again.GetPixel(15, 15), 0u) << "the key colour stays transparent";
  EXPECT_EQ(again.GetPixel(3, 4), again.MapRGB(1, 2, 3));
  SetImageDepth(24);
}

}  // namespace
}  // namespace zorbin
