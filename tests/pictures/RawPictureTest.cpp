// RawPictureTest: choosing the picture reader by extension, default extensions, sizes and info bytes.
#include "pictures/RawPictureUnit.h"
#include "storage/QXStream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorbin {
namespace {

// One-pixel pictures of every format, the pixel's grey level naming the format.
std::string Tga1x1(uint8_t g) { return std::string("\0\0\3\0\0\0\0\0\0\0\0\0\1\0\1\0\x08\x20", 18) + char(g); }
std::string Gsd1x1(uint8_t g) { return std::string("\1\0\1\0", 4) + char(g); }
std::string K16of1x1() { return std::string("\0\0\0\0\xE0\x07", 6); }  // green
std::string Kep1x1() { return std::string("\1\0\1\0\1", 5); }          // palette entry 1
std::string Mi1x1(uint8_t g) { return std::string("MI\0\1GS\0\0\1\0\1\0", 12) + char(g); }
std::string Cel1x1() {
  std::string f = std::string("\x19\x91\1\0\1\0", 6) + std::string(26, '\0');
  std::string palette(768, '\0');
  palette[0] = palette[1] = palette[2] = 10;
  return f + palette + '\0';
}
std::string Bmp1x1() {
  std::string f("BM", 2);
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) f += char((v >> (8 * i)) & 0xFF);
  };
  auto u16 = [&](uint16_t v) { f += char(v & 0xFF) + std::string(1, char(v >> 8)); };
  u32(58);
  u32(0);
  u32(54);
  u32(40);
  u32(1);
  u32(1);
  u16(1);
  u16(24);
  for (int i = 0; i < 6; ++i) u32(0);
  return f + std::string("\x11\x22\x33\0", 4);
}

std::string Deflate(const std::string& data) {
  uLongf size = compressBound(uLong(data.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
            uLong(data.size()), 9);
  out.resize(size);
  return out;
}

class RawPictureFiles : public testing::Test {
 protected:
  void SetUp() override { StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr); }
  void TearDown() override { StreamOpener.reset(); }
  std::string Put(const std::string& name, const std::string& content) {
    test::WriteFileText(dir.File(name), content);
    return dir.File(name);
  }
  std::string FirstPixel(const TRawPicture& p) {
    return p.Data.size() < 3
               ? "none"
               : std::to_string(p.Data[0]) + "," + std::to_string(p.Data[1]) + "," + std::to_string(p.Data[2]);
  }
  test::TTempDir dir;
};

TEST_F(RawPictureFiles, ExtensionSelectsTheReader) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"a.tga", Tga1x1(1)}, {"b.GSD", Gsd1x1(2)}, {"c.mi", Mi1x1(3)},  {"d.k16", K16of1x1()},
      {"e.Kep", Kep1x1()},  {"f.cel", Cel1x1()},  {"g.bmp", Bmp1x1()},
  };
  const std::vector<std::string> expected = {"1,1,1",       "2,2,2",    "3,3,3",   "0,252,0",
                                             "252,252,252", "40,40,40", "17,34,51"};
  for (size_t i = 0; i < files.size(); ++i) {
    TRawPicture p;
    p.ReadFile(Put(files[i].first, files[i].second));
    EXPECT_EQ(p.Width, 1) << files[i].first;
    EXPECT_EQ(FirstPixel(p), expected[i]) << files[i].first;
  }
}

TEST_F(RawPictureFiles, CompressedFilesAreDispatchedByTheInnerExtension) {
  TRawPicture tga, gsd;
  tga.ReadFile(Put("pic.tga.ZL", Deflate(Tga1x1(7))));
  EXPECT_EQ(FirstPixel(tga), "7,7,7");
  gsd.ReadFile(Put("pic.gsd.zl", Deflate(Gsd1x1(9))));
  EXPECT_EQ(FirstPixel(gsd), "9,9,9");
}

TEST_F(RawPictureFiles, NamedReadersAddTheirDefaultExtension) {
  Put("pic.tga", Tga1x1(5));
  Put("pic.gsd", Gsd1x1(6));
  TRawPicture p;
  p.ReadTGA(dir.File("pic"));
  EXPECT_EQ(FirstPixel(p), "5,5,5");
  p.ReadGSD(dir.File("pic"));
  EXPECT_EQ(FirstPixel(p), "6,6,6");

  EXPECT_EQ(AddDefaultExtension("boxes.tga", ".tga"), "boxes.tga");
  EXPECT_EQ(AddDefaultExtension("..\\common\\player.tga", ".tga"), "..\\common\\player.tga");
  EXPECT_EQ(AddDefaultExtension("..\\common\\player", ".tga"), "..\\common\\player.tga");
  EXPECT_EQ(AddDefaultExtension("..\\common\\player.TGA", ".tga"), "..\\common\\player.TGA");
  EXPECT_EQ(AddDefaultExtension("crater", ".tga"), "crater.tga");
  EXPECT_EQ(AddDefaultExtension("pictga", ".tga"), "pictga");
  EXPECT_EQ(AddDefaultExtension(".x", ".kep"), ".x.kep");
  EXPECT_EQ(AddDefaultExtension("a.b", ".mi"), "a.b");
}

TEST_F(RawPictureFiles, UnknownExtensionsAndMissingFiles) {
  test::TCapturedLog log;
  for (std::string name : {"font.bmf", "anim.mator", "noextension", "dir.d\\file"}) {
    TRawPicture p;
    p.ReadFile(name);
    EXPECT_EQ(p.Width, 0) << name;
    EXPECT_TRUE(p.Data.empty());
  }
  EXPECT_TRUE(log.Contains("{RawPictureUnit, TRawPicture.ReadFile} Unknown file extension! (BMF)"));
  EXPECT_TRUE(log.Contains("{RawPictureUnit, TRawPicture.ReadFile} Unknown file extension! (MATOR)"));
  EXPECT_TRUE(log.Contains("{RawPictureUnit, TRawPicture.ReadFile} Unknown file extension! ()"));
  EXPECT_TRUE(log.Contains("{RawPictureUnit, TRawPicture.ReadFile} Unknown file extension! (D\\FILE)"));

  // An unknown extension leaves a loaded picture as it was.
  TRawPicture kept;
  kept.ReadFile(Put("k.gsd", Gsd1x1(4)));
  kept.ReadFile("other.xyz");
  EXPECT_EQ(FirstPixel(kept), "4,4,4");

  TRawPicture p;
  try {
    p.ReadFile(dir.File("missing.tga"));
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "OpenStream failed: " + dir.File("missing.tga"));
  }
}

TEST(RawPicture, SizesAndInfoBytes) {
  // A negative side counts as 0; the other side stays.
  TRawPicture negative(-1, 5);
  EXPECT_EQ(negative.Width, 0);
  EXPECT_EQ(negative.Height, 5);
  EXPECT_TRUE(negative.Data.empty());

  TRawPicture p;
  p.Info = {0x04, 0x7A};
  EXPECT_EQ(p.GetInfoByte(-1), 0);
  EXPECT_EQ(p.GetInfoByte(1), 0x7A);
  EXPECT_EQ(p.GetInfoByte(2), 0);
  EXPECT_EQ(p.FrameCount(), 0x0A04) << "only the low 4 bits of byte 1 count";
}

}  // namespace
}  // namespace zorbin
