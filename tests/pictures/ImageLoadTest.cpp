// ImageLoadTest: loading images by name: frame groups, animation info, transform suffixes and frame clipping.
#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "pictures/RawPictureUnit.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

using test::Tga;

// A one-row strip of frames, each frameWidth wide, frame i filled with colours[i].
std::string Strip(int frameWidth, const std::vector<uint32_t>& colours, const std::string& id) {
  std::vector<uint32_t> px;
  for (uint32_t c : colours) px.insert(px.end(), size_t(frameWidth), c);
  return Tga(frameWidth * int(colours.size()), 1, px, id);
}

using test::Rgb;

// Pictures are written to a fresh working directory and read through a
// stream opener, at the display's depth.
class ImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
    SetImageDepth(32);
  }
  void TearDown() override {
    SetImageDepth(24);
    StreamOpener.reset();
    std::filesystem::current_path(saved_);
  }
  void Write(const std::string& name, const std::string& bytes) { test::WriteFileText(dir_.File(name), bytes); }

  test::TTempDir dir_;
  std::filesystem::path saved_;
};

TEST(FrameList, GroupsAreRemovedAndParsed) {
  struct Case {
    std::string name, rest;
    std::vector<std::pair<int, int>> cuts;
  };
  const Case cases[] = {
      {"a.tga[5]", "a.tga", {{5, 5}}},
      {"\\airm[0..47].tga", "\\airm.tga", {{0, 47}}},
      {"x[7..3]", "x", {{7, 7}}},
      {"x[7..]", "x", {{7, 7}}},
      {"x[..3]", "x", {}},
      {"x[x]", "x", {}},
      {"x[-1..4]", "x", {}},
      {"x[99999999999]", "x", {}},
      {"a.tga[0][4..5]", "a.tga", {{0, 0}, {4, 5}}},
      {"[2]b[3].tga", "b.tga", {{2, 2}, {3, 3}}},
      // An unclosed '[' ends the parsing and stays; so does a ']' before the '['.
      {"a[1].tga[2", "a.tga[2", {{1, 1}}},
      {"a]b[1]", "a]b[1]", {}},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    TFrameList list = ParseFrameList(name);
    EXPECT_EQ(name, c.rest) << c.name;
    ASSERT_EQ(list.size(), c.cuts.size()) << c.name;
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].First, c.cuts[i].first) << c.name;
      EXPECT_EQ(list[i].Last, c.cuts[i].second) << c.name;
    }
  }
}

TEST(FrameList, TransformSuffixNeedsTheColonAtTheThirdCharacterOrLater) {
  std::string file, transform;
  EXPECT_TRUE(SplitTransformSuffix("x.tga:H", file, transform));
  EXPECT_EQ(file, "x.tga");
  EXPECT_EQ(transform, "H");
  EXPECT_TRUE(SplitTransformSuffix("ab:RV", file, transform));  // ':' is the third character
  EXPECT_EQ(file, "ab");
  EXPECT_EQ(transform, "RV");
  EXPECT_FALSE(SplitTransformSuffix("C:\\x.tga", file, transform));  // second character: a drive
  EXPECT_EQ(file, "C:\\x.tga");
  EXPECT_EQ(transform, "");
  EXPECT_FALSE(SplitTransformSuffix(":H", file, transform));
  EXPECT_EQ(file, ":H");
  EXPECT_FALSE(SplitTransformSuffix("x.tga", file, transform));
}

TEST_F(ImageLoad, StillPictureHasNoAnimationAndTheFilesPixels) {
  Write("crater.tga", Tga(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000}));
  test::TCapturedLog log;
  TImage img("crater.tga");
  ASSERT_NE(img.Surface, nullptr);
  EXPECT_EQ(img.Surface->format->BitsPerPixel, 32);
  EXPECT_FALSE(img.Animated);
  EXPECT_FALSE(img.ColorKeyed);
  EXPECT_EQ(img.FrameCount, 0);
  EXPECT_EQ(img.Surface->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(Rgb(img, 0, 0), 0xFF0000u);
  EXPECT_EQ(Rgb(img, 1, 0), 0x00FF00u);
  EXPECT_EQ(Rgb(img, 0, 1), 0x0000FFu);
  const char* c = "<ImageUnit, TImage.Create> ";
  auto lines = log.Lines();
  std::vector<std::string> ours;
  for (const std::string& l : lines)
    if (l.rfind(c, 0) == 0) ours.push_back(l.substr(std::string(c).size()));
  EXPECT_EQ(ours, (std::vector<std::string>{"LoadImage(crater.tga)", "Before loading...", "After loading...",
                                            "Load ok. (2x2)", "After converting to image...", "No clipping."}));
}

TEST_F(ImageLoad, AnimationInfoFromShortAndLongIds) {
  Write("s.tga", Tga(128, 16, std::vector<uint32_t>(128 * 16, 0x112233), std::string("\x04\x70", 2)));
  TImage s("s.tga");
  EXPECT_TRUE(s.Animated);
  EXPECT_EQ(s.FrameCount, 4);
  EXPECT_EQ(s.FrameWidth(), 32);
  EXPECT_TRUE(s.Looped);
  EXPECT_TRUE(s.RandomStartFrame);
  EXPECT_TRUE(s.ColorKeyed);
  EXPECT_FALSE(s.Paused);
  EXPECT_EQ(s.FrameDelay, 0);
  EXPECT_NE(s.Surface->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(s.Surface->format->colorkey, 0u);

  std::string id(16, '\0');
  id[0] = 2, id[1] = char(0x81), id[2] = 7, id[3] = 9;  // 258 frames, paused
  Write("l.tga", Tga(516, 1, std::vector<uint32_t>(516, 1), id));
  TImage l("l.tga");
  EXPECT_TRUE(l.Animated);
  EXPECT_EQ(l.FrameCount, 258);
  EXPECT_TRUE(l.Paused);
  EXPECT_FALSE(l.ColorKeyed);
  EXPECT_EQ(l.FrameDelay, 7);
  EXPECT_EQ(l.LoopDelay, 9);

  // Colour key without frames: not animated, but keyed.
  Write("k.tga", Tga(1, 1, {0}, std::string("\x00\x40", 2)));
  TImage k("k.tga");
  EXPECT_FALSE(k.Animated);
  EXPECT_EQ(k.FrameCount, 0);
  EXPECT_TRUE(k.ColorKeyed);
}

TEST_F(ImageLoad, FrameSelectionCutsACompactStrip) {
  std::vector<uint32_t> colours;
  for (int i = 0; i < 49; ++i) colours.push_back(0x010000u * uint32_t(i + 1) + 0x80);
  Write("airm.tga", Strip(2, colours, std::string("\x31\x00", 2)));
  TImage first("\\airm[0..47].tga");
  EXPECT_EQ(first.FrameCount, 48);
  EXPECT_EQ(first.Width(), 96);
  EXPECT_EQ(Rgb(first, 95, 0), colours[47]);
  TImage last("\\airm[48].tga");
  EXPECT_EQ(last.FrameCount, 1);
  EXPECT_EQ(last.Width(), 2);
  EXPECT_EQ(Rgb(last, 0, 0), colours[48]);
  EXPECT_EQ(Rgb(last, 1, 0), colours[48]);

  Write("x.tga", Strip(3, {0xAA0000, 0x00BB00, 0x0000CC, 0x111111}, std::string("\x04\x00", 2)));
  TImage two("x.tga[2][0]");
  EXPECT_EQ(two.FrameCount, 2);
  EXPECT_EQ(two.Width(), 6);
  EXPECT_EQ(Rgb(two, 0, 0), 0x0000CCu);
  EXPECT_EQ(Rgb(two, 2, 0), 0x0000CCu);
  EXPECT_EQ(Rgb(two, 3, 0), 0xAA0000u);
  EXPECT_EQ(Rgb(two, 5, 0), 0xAA0000u);
}

TEST_F(ImageLoad, FramesOutsideTheStripComeOutBlack) {
  Write("x.tga", Strip(3, {0xAA0000, 0x00BB00, 0x0000CC, 0x111111}, std::string("\x04\x00", 2)));
  TImage tail("x.tga[3..5]");
  EXPECT_EQ(tail.FrameCount, 3);
  EXPECT_EQ(Rgb(tail, 0, 0), 0x111111u);
  for (int x = 3; x < 9; ++x) EXPECT_EQ(Rgb(tail, x, 0), 0u) << x;
  // Negative and far-away frame numbers copy nothing and never wrap into the strip.
  TImage neg("x.tga[-3..0]");
  EXPECT_EQ(neg.FrameCount, 4);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(Rgb(neg, x, 0), 0u) << x;
  EXPECT_EQ(Rgb(neg, 9, 0), 0xAA0000u);
  TImage far("x.tga[2147483647][21846]");  // 21846 * 3 wraps to 2 in 16 bits
  EXPECT_EQ(far.FrameCount, 2);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Rgb(far, x, 0), 0u) << x;
}

TEST_F(ImageLoad, SelectionTooWideForASurfaceRaises) {
  Write("x.tga", Strip(3, {0xAA0000, 0x00BB00}, std::string("\x02\x00", 2)));
  test::TCapturedLog log;
  EXPECT_THROW(TImage("x.tga[0..2147483646]"), std::runtime_error);
  EXPECT_TRUE(log.Contains("{ImageUnit, TImage.Create} Cannot create surface (6442450941x1)"));
  // Within 16-bit sizes but far more pixel memory than a picture may have.
  Write("tall.tga", Tga(4, 1024, std::vector<uint32_t>(4 * 1024, 7), std::string("\x04\x00", 2)));
  EXPECT_THROW(TImage("tall.tga[0..32766]"), std::runtime_error);
  EXPECT_TRUE(log.Contains("{ImageUnit, TImage.Create} Cannot create surface (32767x1024)"));
  TImage fits("tall.tga[0..1023]");
  EXPECT_EQ(fits.Width(), 1024);
  EXPECT_THROW(TImage("tall.tga[0..1024]"), std::runtime_error);
}

TEST_F(ImageLoad, GroupsOnStillPicturesAreIgnored) {
  Write("still.tga", Tga(4, 1, {1, 2, 3, 4}));
  TImage img("still[1].tga");
  EXPECT_EQ(img.Width(), 4);
  EXPECT_EQ(img.FrameCount, 0);
  EXPECT_EQ(Rgb(img, 3, 0), 4u);
}

TEST_F(ImageLoad, TransformSuffixAppliesToTheLoadedPicture) {
  Write("x.tga", Tga(3, 1, {0xAA0000, 0x00BB00, 0x0000CC}));
  TImage img("x.tga:H");
  EXPECT_EQ(Rgb(img, 0, 0), 0x0000CCu);
  EXPECT_EQ(Rgb(img, 2, 0), 0xAA0000u);
  // Frame groups come out first wherever they stand; each frame is
  // transformed by itself before the selection.
  Write("s.tga", Tga(4, 1, {0xA, 0xB, 0xC, 0xD}, std::string("\x02\x00", 2)));
  TImage framed("s.tga:H[1]");
  EXPECT_EQ(framed.FrameCount, 1);
  EXPECT_EQ(framed.Width(), 2);
  EXPECT_EQ(Rgb(framed, 0, 0), 0xDu);
  EXPECT_EQ(Rgb(framed, 1, 0), 0xCu);
}

TEST_F(ImageLoad, UndecodableAndMissingFiles) {
  test::TCapturedLog log;
  TImage unknown("x.bmf");
  EXPECT_EQ(unknown.Surface, nullptr);
  EXPECT_EQ(unknown.Width(), 0);
  EXPECT_EQ(unknown.FrameWidth(), 0);
  EXPECT_FALSE(unknown.Animated);
  EXPECT_TRUE(log.Contains("<ImageUnit, TImage.Create> Loading failed."));
  // An unclosed group stays in the name, which then fails to open.
  try {
    TImage img("x[1.tga");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "OpenStream failed: x[1.tga");
  }
  EXPECT_THROW(TImage("missing.tga"), std::runtime_error);
}

TEST_F(ImageLoad, OnlyAZeroWidthFailsToLoad) {
  // 5 x 0 keeps its header's sizes and loads, animation and all; 0 x 5 is
  // no picture.
  Write("wide.tga", Tga(5, 0, {}, std::string("\x04\x70", 2)));
  Write("tall.tga", Tga(0, 5, {}));
  test::TCapturedLog log;
  TImage wide("wide.tga[1]");
  ASSERT_NE(wide.Surface, nullptr);
  EXPECT_EQ(wide.Height(), 0);
  EXPECT_EQ(wide.Width(), 1);
  EXPECT_EQ(wide.FrameCount, 1);
  EXPECT_TRUE(wide.Animated);
  TImage dest(8, 8);
  dest.Draw(0, 0, &wide);
  TImage tall("tall.tga");
  EXPECT_EQ(tall.Surface, nullptr);
  EXPECT_TRUE(log.Contains("<ImageUnit, TImage.Create> Load ok. (5x0)"));
  EXPECT_TRUE(log.Contains("<ImageUnit, TImage.Create> Loading failed."));
}

TEST(ImageFrames, ClipAndAnimInfoWithoutUsableFrames) {
  SetImageDepth(32);
  TImage none;
  none.FrameCount = 3;
  none.ClipFrames({{0, 1}});
  EXPECT_EQ(none.Surface, nullptr);
  // A strip narrower than its frame count has zero-width frames: nothing to cut.
  TImage narrow(3, 1);
  narrow.FrameCount = 5;
  narrow.Animated = true;
  narrow.ClipFrames({{0, 1}});
  EXPECT_EQ(narrow.Width(), 3);
  EXPECT_EQ(narrow.FrameCount, 5);
  // An info kind without animation leaves the fields alone.
  TRawPicture raw(2, 1);
  raw.InfoKind = 255;
  raw.Info = {4, 0x70};
  TImage other(2, 1);
  other.SetAnimInfo(raw);
  EXPECT_FALSE(other.Animated);
  EXPECT_FALSE(other.ColorKeyed);
  SetImageDepth(24);
}

TEST(ImageFrames, FromRawPictureKeepsPixelsAndInfo) {
  SetImageDepth(32);
  TRawPicture raw(2, 1);
  raw.Data = {0x30, 0x20, 0x10, 0, 0, 0};
  raw.InfoKind = 1;
  raw.Info = {2, 0x40};
  test::TCapturedLog log;
  auto img = TImage::CreateFromRawPicture(raw);
  EXPECT_TRUE(log.Contains("<ImageUnit, TImage.CreateFromRawPicture> 2, 1, 1"));
  EXPECT_EQ(Rgb(*img, 0, 0), 0x102030u);
  EXPECT_EQ(img->FrameCount, 2);
  EXPECT_TRUE(img->ColorKeyed);
  EXPECT_NE(img->Surface->flags & SDL_SRCCOLORKEY, 0u);
  SetImageDepth(24);
}

TEST(ImageFrames, GreyMapIsTintedAndKeepsTheStreamPosition) {
  SetImageDepth(32);
  TMemoryStream map;
  map.WriteWord(2);
  map.WriteWord(1);
  map.WriteByte(255);
  map.WriteByte(128);
  map.WriteByte(0xEE);  // beyond the map
  map.SetPosition(5);
  auto img = TImage::CreateFromGreyMap(map, 64, 96, 128);
  EXPECT_EQ(map.Position(), 5);
  ASSERT_EQ(img->Width(), 2);
  EXPECT_EQ(Rgb(*img, 0, 0), uint32_t(63 << 16 | 95 << 8 | 127));
  EXPECT_EQ(Rgb(*img, 1, 0), uint32_t(32 << 16 | 48 << 8 | 64));
  // A header promising more than the map holds raises before allocating.
  TMemoryStream hostile;
  hostile.WriteWord(65535);
  hostile.WriteWord(65535);
  hostile.WriteByte(1);
  hostile.SetPosition(1);
  EXPECT_THROW(TImage::CreateFromGreyMap(hostile, 1, 1, 1), EStreamError);
  EXPECT_EQ(hostile.Position(), 1);
  SetImageDepth(24);
}

TEST_F(ImageLoad, DrawFileDrawsTheNamedPicture) {
  Write("dot.tga", Tga(1, 1, {0x123456}));
  TImage dest(4, 4);
  dest.DrawFile(2, 3, "dot.tga");
  EXPECT_EQ(Rgb(dest, 2, 3), 0x123456u);
  EXPECT_EQ(Rgb(dest, 1, 3), 0u);
}

}  // namespace
}  // namespace zorbin
