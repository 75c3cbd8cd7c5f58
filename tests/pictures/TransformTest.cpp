// TransformTest: picture transforms alone, as command strings and frame by frame on animation strips.
#include "pictures/RawPictureUnit.h"
#include "pictures/RawTransform.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {
namespace {

// A picture whose pixel (x, y) has blue = x, green = y, red = a tag, so
// every pixel says where it came from.
TRawPicture Coordinates(int32_t width, int32_t height, uint8_t tag = 0) {
  TRawPicture p(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* px = p.Data.data() + size_t(y * width + x) * 3;
      px[0] = uint8_t(x);
      px[1] = uint8_t(y);
      px[2] = tag;
    }
  return p;
}

// "x,y" of the source pixel now at (x, y).
std::string At(const TRawPicture& p, int32_t x, int32_t y) {
  const uint8_t* px = p.Data.data() + size_t(y * p.Width + x) * 3;
  return std::to_string(px[0]) + "," + std::to_string(px[1]);
}

// The whole picture as rows of source coordinates.
std::string Map(const TRawPicture& p) {
  std::string out;
  for (int32_t y = 0; y < p.Height; ++y) {
    for (int32_t x = 0; x < p.Width; ++x) out += (x ? " " : "") + At(p, x, y);
    out += "\n";
  }
  return out;
}

void Animate(TRawPicture& p, uint8_t frames) {
  p.InfoKind = 1;
  p.Info = {frames, 0x70};
}

TEST(Transform, SingleOperations) {
  TRawPicture h = Coordinates(3, 2);
  h.MirrorHorizontal();
  EXPECT_EQ(Map(h), "2,0 1,0 0,0\n2,1 1,1 0,1\n");

  TRawPicture v = Coordinates(3, 3);
  v.FlipVertical();
  EXPECT_EQ(Map(v), "0,2 1,2 2,2\n0,1 1,1 2,1\n0,0 1,0 2,0\n");

  TRawPicture cw = Coordinates(3, 2);
  cw.Rotate(true);
  EXPECT_EQ(cw.Width, 2);
  EXPECT_EQ(cw.Height, 3);
  EXPECT_EQ(Map(cw), "0,1 0,0\n1,1 1,0\n2,1 2,0\n");

  TRawPicture ccw = Coordinates(3, 2);
  ccw.Rotate(false);
  EXPECT_EQ(Map(ccw), "2,0 2,1\n1,0 1,1\n0,0 0,1\n");

  TRawPicture d = Coordinates(2, 1);
  d.DoubleSize();
  EXPECT_EQ(Map(d), "0,0 0,0 1,0 1,0\n0,0 0,0 1,0 1,0\n");

  TRawPicture i = Coordinates(1, 1, 0x0F);
  i.Invert();
  EXPECT_EQ(i.Data, (std::vector<uint8_t>{255, 255, 0xF0}));

  TRawPicture empty;
  for (char c : std::string("HVIRr")) EXPECT_TRUE(TransformRawImage(empty, c));
  empty.DoubleSize();
  EXPECT_EQ(empty.Width, 0);
  EXPECT_TRUE(empty.Data.empty());
}

TEST(Transform, CommandStrings) {
  const TRawPicture original = Coordinates(4, 2);
  for (const char* s : {"HH", "RRRR", "Rr", "rR", "VV", "II", "HVHV"}) {
    TRawPicture p = original;
    p.MultiTransform(s);
    EXPECT_EQ(p.Width, 4) << s;
    EXPECT_EQ(p.Height, 2) << s;
    EXPECT_EQ(p.Data, original.Data) << s;
  }
  TRawPicture d = Coordinates(8, 4);
  d.MultiTransform("D");
  EXPECT_EQ(d.Width, 16);
  EXPECT_EQ(d.Height, 8);
  d.MultiTransform("DD");
  EXPECT_EQ(d.Width, 64);
  EXPECT_EQ(d.Height, 32);
  EXPECT_EQ(At(d, 63, 31), "7,3");
  EXPECT_EQ(At(d, 8, 4), "1,0");

  TRawPicture hd = Coordinates(3, 2), dh = Coordinates(3, 2), dOnly = Coordinates(3, 2);
  hd.MultiTransform("HD");
  dh.MultiTransform("DH");
  EXPECT_EQ(hd.Data, dh.Data);
  EXPECT_EQ(At(hd, 0, 0), "2,0");

  // The D count is kept in a byte: 256 of them enlarge nothing.
  dOnly.MultiTransform(std::string(256, 'D'));
  EXPECT_EQ(dOnly.Width, 3);
}

TEST(Transform, AnimatedStripTransformsEachFrame) {
  // Four 2 x 2 frames, frame k tagged k in red.
  TRawPicture strip(8, 2);
  for (int k = 0; k < 4; ++k) {
    TRawPicture frame = Coordinates(2, 2, uint8_t(k));
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        for (int c = 0; c < 3; ++c)
          strip.Data[size_t((y * 8 + k * 2 + x) * 3 + c)] = frame.Data[size_t((y * 2 + x) * 3 + c)];
  }
  Animate(strip, 4);
  TRawPicture h = strip;
  h.MultiTransform("H");
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(h.Data[size_t((k * 2) * 3 + 2)], k) << "frame order";
    EXPECT_EQ(At(h, k * 2, 0), "1,0");
    EXPECT_EQ(At(h, k * 2 + 1, 1), "0,1");
  }

  // HD: each frame mirrored, then the whole strip doubled (frames 4 x 4).
  TRawPicture hd = strip;
  hd.MultiTransform("HD");
  ASSERT_EQ(hd.Width, 16);
  ASSERT_EQ(hd.Height, 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(At(hd, k * 4, 0), "1,0");
    EXPECT_EQ(At(hd, k * 4 + 3, 3), "0,1");
    EXPECT_EQ(hd.Data[size_t((k * 4 + 1) * 3 + 2)], k);
  }

  // The same strip without animation info, or with a font table, is one picture.
  for (int kind : {0, 3}) {
    TRawPicture whole = strip;
    whole.InfoKind = kind;
    whole.MultiTransform("H");
    EXPECT_EQ(whole.Data[2], 3) << kind;
    EXPECT_EQ(At(whole, 0, 0), "1,0") << kind;
  }
}

TEST(Transform, FrameCountsThatDoNotFit) {
  // 7 columns in 3 frames: frames of 2, the last column stays.
  TRawPicture p = Coordinates(7, 1);
  Animate(p, 3);
  p.MultiTransform("H");
  EXPECT_EQ(Map(p), "1,0 0,0 3,0 2,0 5,0 4,0 6,0\n");

  // More frames than columns: nothing to transform, D still applies.
  TRawPicture narrow = Coordinates(2, 1);
  Animate(narrow, 5);
  narrow.MultiTransform("HD");
  EXPECT_EQ(Map(narrow), "0,0 0,0 1,0 1,0\n0,0 0,0 1,0 1,0\n");

  // Frame count 0 (colour key only): not animated.
  TRawPicture still = Coordinates(2, 1);
  still.InfoKind = 1;
  still.Info = {0x00, 0x40};
  still.MultiTransform("H");
  EXPECT_EQ(Map(still), "1,0 0,0\n");
}

TEST(Transform, RotatingNonSquareFramesRebuildsTheStrip) {
  // Two 2 x 1 frames become two 1 x 2 frames side by side.
  TRawPicture p = Coordinates(4, 1);
  Animate(p, 2);
  p.MultiTransform("R");
  ASSERT_EQ(p.Width, 2);
  ASSERT_EQ(p.Height, 2);
  EXPECT_EQ(Map(p), "0,0 2,0\n1,0 3,0\n");
  // Square frames rotate in place.
  TRawPicture square = Coordinates(4, 2);
  Animate(square, 2);
  square.MultiTransform("r");
  EXPECT_EQ(Map(square), "1,0 1,1 3,0 3,1\n0,0 0,1 2,0 2,1\n");
}

TEST(Transform, LogLines) {
  test::TCapturedLog log;
  TRawPicture blank = Coordinates(2, 1);
  blank.MultiTransform("   ");
  EXPECT_TRUE(log.Contains("<RawPictureUnit, TRawPicture.MultiTransform> No transformation needed."));

  TRawPicture p = Coordinates(2, 1);
  p.MultiTransform("H x");
  EXPECT_EQ(Map(p), "1,0 0,0\n");
  EXPECT_TRUE(log.Contains("[RAWTRANSFORM, TransformRawImage] Unknown transformation command ( )"));
  EXPECT_TRUE(log.Contains("[RAWTRANSFORM, TransformRawImage] Unknown transformation command (x)"));
  EXPECT_TRUE(log.Contains("<RawPictureUnit, TRawPicture.MultiTransform> Transformation string: H x"));
  EXPECT_TRUE(log.Contains("<RawPictureUnit, TRawPicture.MultiTransform> Not animated."));
  EXPECT_TRUE(log.Contains("<RawPictureUnit, TRawPicture.MultiTransformEx> [3/3] x"));
  EXPECT_TRUE(log.Contains("<RawPictureUnit, TRawPicture.MultiTransformEx> Finished."));

  // D called directly is unknown to MultiTransformEx.
  p.MultiTransformEx("D");
  EXPECT_EQ(p.Width, 2);
  EXPECT_TRUE(log.Contains("[RAWTRANSFORM, TransformRawImage] Unknown transformation command (D)"));

  TRawPicture strip = Coordinates(8, 1);
  Animate(strip, 4);
  strip.MultiTransform("V");
  for (const char* line : {"Size: 8x1", "Animated.", "Framecount: 4", "Framewidth: 2", "Processing frame 4.",
                           "->Single", "Transforming", "Single->"})
    EXPECT_TRUE(log.Contains(std::string("<RawPictureUnit, TRawPicture.MultiTransform> ") + line)) << line;
}

TEST(Transform, DoublingStopsAtTheSizeLimit) {
  test::TCapturedLog log;
  // Sides go up to 65535: 20000 doubles once, 40000 not.
  TRawPicture wide(20000, 1);
  wide.MultiTransform("DDD");
  EXPECT_EQ(wide.Width, 40000);
  EXPECT_EQ(wide.Height, 2);
  EXPECT_EQ(wide.Data.size(), 240000u);
  auto lines = log.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "[RawPictureUnit, TRawPicture.DoubleSize] Picture too large to double! (40000x2)"),
            1);
  // A name's "D" is backed by no pixel data: 4.3 MB of doubled pixels are
  // beyond what a picture without data may take.
  TRawPicture large(600, 600);
  large.MultiTransform("D");
  EXPECT_EQ(large.Width, 600);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.DoubleSize] Picture too large to double! (600x600)"));
}

}  // namespace
}  // namespace zorbin
