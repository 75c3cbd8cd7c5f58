// Inputs the picture and font fuzzers found (a crash, over a second or over
// 512 MB in the checked build), fed back byte for byte from fuzz-findings/.
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
std::vector<uint8_t> Finding(const std::string& name) {
  std::string bytes = test::ReadFileText(std::string(ZORBIN_SOURCE_DIR) + "/tests/pictures/fuzz-findings/" + name);
  return std::vector<uint8_t>(bytes.begin() + (bytes.empty() ? 0 : 1), bytes.end());
}

TEST(PicturesFuzzFindings, TinyTgaFontAnnouncingAHugePictureIsRefused) {
  // 731 bytes announcing 10240 x 1280 pixels of depth 0: the picture was
  // sized (39 MB) though nothing could be decoded, and the font then made a
  // surface, a grey copy and a re-tinted surface of it.
  SetImageDepth(32);
  std::vector<uint8_t> bytes = Finding("fuzz_fonts-huge-undecoded-picture");
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

}  // namespace
}  // namespace zorbin
