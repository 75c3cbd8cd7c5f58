// TgaReaderTest: every TGA image type and depth, refusals and their messages, font tables and frame stacks.
#include "pictures/RawPictureReaderFASTUnit.h"
#include "pictures/RawPictureUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

using test::Bgr;
using test::operator+;
using namespace test::sample;

struct TgaHeader {
  uint8_t type = 2;
  uint16_t mapLength = 0;
  uint16_t originX = 0;
  uint16_t originY = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  uint8_t depth = 24;
  uint8_t descriptor = 0x20;
};

Bytes Tga(const TgaHeader& h, const Bytes& id, const Bytes& body) {
  auto w16 = [](Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
  };
  Bytes out{uint8_t(id.size()), uint8_t(h.mapLength ? 1 : 0), h.type};
  w16(out, 0);
  w16(out, h.mapLength);
  out.push_back(24);
  w16(out, h.originX);
  w16(out, h.originY);
  w16(out, h.width);
  w16(out, h.height);
  out.push_back(h.depth);
  out.push_back(h.descriptor);
  return out + id + body;
}

// Reads the bytes and returns what the reader printed.
std::string Read(TRawPicture& picture, const Bytes& file) {
  TMemoryStream stream(file);
  testing::internal::CaptureStdout();
  try {
    picture.ReadTGAStream(stream);
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
  return testing::internal::GetCapturedStdout();
}

TEST(TgaReader, TrueColourRowOrderAndDepths) {
  TgaHeader h;
  h.width = 3;
  h.height = 2;
  TRawPicture top, bottom, deep;
  EXPECT_EQ(Read(top, Tga(h, {}, Bgr({A, B, C, D, E, F}))), "");
  h.descriptor = 0x00;  // first file row is the bottom row
  Read(bottom, Tga(h, {}, Bgr({D, E, F, A, B, C})));
  EXPECT_EQ(top.Width, 3);
  EXPECT_EQ(top.Height, 2);
  EXPECT_EQ(top.InfoKind, 0);
  EXPECT_EQ(top.Data, Bgr({A, B, C, D, E, F}));
  EXPECT_EQ(bottom.Data, top.Data);

  // 32 bits: the alpha byte is dropped.
  h.depth = 32;
  h.descriptor = 0x28;
  Bytes body;
  for (uint32_t c : {A, B, C, D, E, F}) body = body + Bgr({c}) + Bytes{0x77};
  Read(deep, Tga(h, {}, body));
  EXPECT_EQ(deep.Data, top.Data);
}

TEST(TgaReader, SixteenBitFormats) {
  TgaHeader h;
  h.width = 2;
  h.depth = 16;
  TRawPicture p;
  // 5-6-5: F81F is full red and blue, 07E0 full green.
  h.descriptor = 0x20;
  Read(p, Tga(h, {}, {0x1F, 0xF8, 0xE0, 0x07}));
  EXPECT_EQ(p.Data, Bgr({0xF800F8, 0x00FC00}));
  // 1-5-5-5: 7C00 red, 0421 one step of each channel.
  h.descriptor = 0x21;
  Read(p, Tga(h, {}, {0x00, 0x7C, 0x21, 0x04}));
  EXPECT_EQ(p.Data, Bgr({0xF80000, 0x080808}));
}

TEST(TgaReader, RefusalsPrintTheirMessageAndSkipTheTrailingSteps) {
  TgaHeader h;
  h.width = 1;
  h.height = 2;
  h.depth = 16;
  h.descriptor = 0x28;
  // A stacked 2-frame ID would turn the picture into a 2 x 1 strip; the stop
  // skips that.
  Bytes stackId{2, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  TRawPicture p;
  EXPECT_EQ(Read(p, Tga(h, stackId, {1, 2, 3, 4})), "RTGA: Illegal Image Descriptor Byte!\n");
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Height, 2);

  h.depth = 8;
  EXPECT_EQ(Read(p, Tga(h, stackId, {1, 2})), "RTGA: Illegal Image Pixel Size!\n");
  EXPECT_EQ(p.Height, 2);

  h.type = 3;
  h.depth = 16;
  EXPECT_EQ(Read(p, Tga(h, stackId, {1, 2, 3, 4})), "Illegal Image Pixel Size!\n");
  EXPECT_EQ(p.Height, 2);

  // Types without data still run the trailing steps: the stack becomes a strip.
  h.type = 0;
  EXPECT_EQ(Read(p, Tga(h, stackId, {})), "RTGA: No image data included in file!\n");
  EXPECT_EQ(p.Width, 2);
  EXPECT_EQ(p.Height, 1);
  h.type = 33;
  EXPECT_EQ(Read(p, Tga(h, {}, {})), "RTGA: Compressed images are not supported!\n");
  h.type = 7;
  EXPECT_EQ(Read(p, Tga(h, {}, {})), "RTGA: Unkown image type!\n");
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Height, 2);
}

TEST(TgaReader, OriginIsReportedAndIgnored) {
  TgaHeader h;
  h.originX = 5;
  TRawPicture p;
  EXPECT_EQ(Read(p, Tga(h, {}, Bgr({A}))), "RTGA: Ignoring Origin settings!\n");
  EXPECT_EQ(p.Data, Bgr({A}));
}

TEST(TgaReader, ColourMappedAndGreyscale) {
  TgaHeader h;
  h.type = 1;
  h.mapLength = 2;
  h.width = 3;
  h.height = 2;
  h.depth = 8;
  h.descriptor = 0x00;
  TRawPicture p;
  // Bottom row first; index 9 lies beyond the two entries and gives black.
  Read(p, Tga(h, {}, Bgr({A, B}) + Bytes{1, 1, 9, 0, 1, 0}));
  EXPECT_EQ(p.Data, Bgr({A, B, A, B, B, 0}));

  // A colour map longer than 256 entries: the rest is read past, the pixels
  // behind it still line up.
  h.mapLength = 300;
  h.height = 1;
  Bytes map;
  for (int i = 0; i < 300; ++i) map = map + Bgr({uint32_t(i)});
  Read(p, Tga(h, {}, map + Bytes{0, 255, 7}));
  EXPECT_EQ(p.Data, Bgr({0, 255, 7}));

  h = TgaHeader();
  h.type = 3;
  h.depth = 8;
  h.width = 2;
  Read(p, Tga(h, {}, {0x00, 0x9A}));
  EXPECT_EQ(p.Data, Bgr({0, 0x9A9A9A}));
}

TEST(TgaReader, RunLengthPacketsCrossRows) {
  // Type 9, bottom-up: a run of 4 covers the bottom row (3 pixels) and the
  // first pixel of the top row; a literal packet of 2 fills the rest.
  TgaHeader h;
  h.type = 9;
  h.mapLength = 3;
  h.width = 3;
  h.height = 2;
  h.depth = 8;
  h.descriptor = 0x00;
  TRawPicture p;
  Read(p, Tga(h, {}, Bgr({A, B, C}) + Bytes{0x83, 2, 0x01, 0, 1}));
  EXPECT_EQ(p.Data, Bgr({C, A, B, C, C, C}));

  // Type 11, top-down: a literal packet of 4 then a run of 2.
  h = TgaHeader();
  h.type = 11;
  h.width = 3;
  h.height = 2;
  h.depth = 8;
  Read(p, Tga(h, {}, {0x03, 0x10, 0x20, 0x30, 0x40, 0x81, 0x50}));
  EXPECT_EQ(p.Data, Bgr({0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x505050}));
}

TEST(TgaReader, RunLengthTrueColourBothDirections) {
  TgaHeader h;
  h.type = 10;
  h.width = 3;
  h.height = 2;
  TRawPicture top, bottom, crossing;
  // Top-down: literal packet of 4 crossing the row end, then a run of 2.
  Read(top, Tga(h, {}, Bytes{0x03} + Bgr({A, B, C, D}) + Bytes{0x81} + Bgr({E})));
  EXPECT_EQ(top.Data, Bgr({A, B, C, D, E, E}));
  // Bottom-up in row-sized packets as the format asks.
  h.descriptor = 0x00;
  Read(bottom, Tga(h, {}, Bytes{0x00} + Bgr({D}) + Bytes{0x81} + Bgr({E}) + Bytes{0x02} + Bgr({A, B, C})));
  EXPECT_EQ(bottom.Data, Bgr({A, B, C, D, E, E}));
  // Bottom-up packets that cross row ends continue in the row above.
  Read(crossing, Tga(h, {}, Bytes{0x83} + Bgr({F}) + Bytes{0x01} + Bgr({A, B})));
  EXPECT_EQ(crossing.Data, Bgr({F, A, B, F, F, F}));
}

TEST(TgaReader, PacketsPastTheLastRowAreReadAndDropped) {
  // A 2 x 1 font picture whose last packet runs 3 pixels too far: the glyph
  // table behind the packet must still be found.
  Bytes id(32, 0);
  id[0] = 0x80;  // code 0 only
  Bytes glyph{1, 0, 2, 0, 3, 0, 4, 0};
  for (uint8_t type : {uint8_t(10), uint8_t(11)})
    for (uint8_t descriptor : {uint8_t(0x00), uint8_t(0x20)}) {
      SCOPED_TRACE(int(type) * 1000 + descriptor);
      TgaHeader h;
      h.type = type;
      h.width = 2;
      h.descriptor = descriptor;
      Bytes literal = type == 10 ? Bgr({A, B, C, D, E}) : Bytes{1, 2, 3, 4, 5};
      TRawPicture p;
      Read(p, Tga(h, id, Bytes{0x04} + literal + glyph));
      EXPECT_EQ(p.Data, type == 10 ? Bgr({A, B}) : Bgr({0x010101, 0x020202}));
      ASSERT_EQ(p.Info.size(), 40u);
      EXPECT_EQ(Bytes(p.Info.begin() + 32, p.Info.end()), glyph);
    }
}

TEST(TgaReader, FastReadersStayInsideTheBuffer) {
  // A run of 128 into a 2 x 2 buffer with guard bytes behind it.
  for (bool topDown : {true, false}) {
    Bytes buffer(12 + 6, 0xEE);
    TMemoryStream s(Bytes{0xFF} + Bgr({A}));
    if (topDown)
      ReadRLE24TopDown(s, 2, 2, buffer.data());
    else
      ReadRLE24BottomUp(s, 2, 2, buffer.data());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 12), Bgr({A, A, A, A}));
    EXPECT_EQ(Bytes(buffer.begin() + 12, buffer.end()), Bytes(6, 0xEE));
  }
}

TEST(TgaReader, InfoKindFromIdLength) {
  const std::vector<std::pair<size_t, int>> cases = {{0, 0}, {2, 1}, {16, 2}, {32, 3}, {5, 255}, {255, 255}};
  for (auto [length, kind] : cases) {
    TRawPicture p;
    Read(p, Tga(TgaHeader(), Bytes(length, 0), Bgr({A})));
    EXPECT_EQ(p.InfoKind, kind) << length;
    EXPECT_EQ(p.Info.size(), length);
  }
  TRawPicture p;
  Read(p, Tga(TgaHeader(), {0x04, 0x70}, Bgr({A})));
  EXPECT_EQ(p.FrameCount(), 4);
  EXPECT_EQ(p.GetInfoByte(1), 0x70);
}

TEST(TgaReader, FontGlyphTableFollowsThePixels) {
  Bytes id(32, 0);
  int set = 0;
  for (int code = 0; code < 256 && set < 77; code += 3, ++set) id[size_t(code / 8)] |= uint8_t(0x80 >> (code % 8));
  Bytes table;
  for (int i = 0; i < 77 * 8; ++i) table.push_back(uint8_t(i * 7));
  TRawPicture p;
  Read(p, Tga(TgaHeader(), id, Bgr({A}) + table + Bytes{0xAB}));
  EXPECT_EQ(p.InfoKind, 3);
  ASSERT_EQ(p.Info.size(), 648u);
  EXPECT_EQ(Bytes(p.Info.begin(), p.Info.begin() + 32), id);
  EXPECT_EQ(Bytes(p.Info.begin() + 32, p.Info.end()), table);
  // A table cut short is a short stream.
  TRawPicture cut;
  Bytes shortTable(table.begin(), table.end() - 1);
  EXPECT_THROW(Read(cut, Tga(TgaHeader(), id, Bgr({A}) + shortTable)), EStreamError);
}

TEST(TgaReader, VerticalStackBecomesStrip) {
  // 32 x 128, eight frames of 32 x 16 stacked, colour-mapped: row y uses
  // colour y.
  TgaHeader h;
  h.type = 1;
  h.mapLength = 256;
  h.width = 32;
  h.height = 128;
  h.depth = 8;
  Bytes map;
  for (uint32_t i = 0; i < 256; ++i) map = map + Bgr({i * 0x010101});
  Bytes pixels;
  for (int y = 0; y < 128; ++y) pixels.insert(pixels.end(), 32, uint8_t(y));
  Bytes id{0x08, 0x50, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  TRawPicture p;
  Read(p, Tga(h, id, map + pixels));
  ASSERT_EQ(p.Width, 256);
  ASSERT_EQ(p.Height, 16);
  ASSERT_EQ(p.Data.size(), 256u * 16 * 3);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 256; ++x)
      ASSERT_EQ(p.Data[size_t(y * 256 + x) * 3], uint8_t((x / 32) * 16 + y)) << x << "," << y;

  // Byte 6 clear: unchanged.
  id[6] = 0;
  TRawPicture flat;
  Read(flat, Tga(h, id, map + pixels));
  EXPECT_EQ(flat.Width, 32);
  EXPECT_EQ(flat.Height, 128);

  // Rows below the last whole frame are dropped: 1 x 5 in two frames.
  TgaHeader small;
  small.width = 1;
  small.height = 5;
  Bytes twoFrames{2, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Read(p, Tga(small, twoFrames, Bgr({A, B, C, D, E})));
  EXPECT_EQ(p.Width, 2);
  EXPECT_EQ(p.Height, 2);
  EXPECT_EQ(p.Data, Bgr({A, C, B, D}));

  // More frames than rows: left as it is.
  twoFrames[0] = 9;
  Read(p, Tga(small, twoFrames, Bgr({A, B, C, D, E})));
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Height, 5);
}

TEST(TgaReader, LargePicturesAreReadWhenTheirDataHoldsThem) {
  TRawPicture p;
  // 2400 x 2400 stored pixels: 17 MB, all in the file.
  TgaHeader h;
  h.width = 2400;
  h.height = 2400;
  Bytes pixels(size_t(2400) * 2400 * 3, 0x11);
  pixels[pixels.size() - 1] = 0x99;
  EXPECT_EQ(Read(p, Tga(h, {}, pixels)), "");
  EXPECT_EQ(p.Width, 2400);
  EXPECT_EQ(p.Height, 2400);
  EXPECT_EQ(p.Data, pixels);
  // One pixel short: refused before the buffer is allocated.
  pixels.pop_back();
  EXPECT_THROW(Read(p, Tga(h, {}, pixels)), EStreamError);
  // Run-length, 4000 x 4000: 125000 run packets of 128 pixels make every
  // pixel; one packet fewer cannot.
  h.type = 10;
  h.width = 4000;
  h.height = 4000;
  Bytes runs;
  for (int i = 0; i < 125000; ++i) runs.insert(runs.end(), {0xFF, 1, 2, 3});
  EXPECT_EQ(Read(p, Tga(h, {}, runs)), "");
  EXPECT_EQ(p.Width, 4000);
  EXPECT_EQ(p.Data.back(), 3);
  runs.resize(runs.size() - 4);
  EXPECT_THROW(Read(p, Tga(h, {}, runs)), EStreamError);
  // The widest side a TGA can give.
  h.type = 3;
  h.depth = 8;
  h.width = 65535;
  h.height = 2;
  EXPECT_EQ(Read(p, Tga(h, {}, Bytes(65535 * 2, 7))), "");
  EXPECT_EQ(p.Width, 65535);
}

TEST(TgaReader, HostileHeaders) {
  TRawPicture p;
  // A huge size over a short body fails as a short stream does, without
  // allocating the announced buffer.
  TgaHeader h;
  h.width = 2000;
  h.height = 2000;
  for (uint8_t type : {uint8_t(1), uint8_t(2), uint8_t(3), uint8_t(9), uint8_t(10), uint8_t(11)}) {
    h.type = type;
    h.depth = type == 2 || type == 10 ? 24 : 8;
    EXPECT_THROW(Read(p, Tga(h, {}, Bytes(100, 0))), EStreamError) << int(type);
  }
  // A type without pixel data has nothing that vouches for its size: it is
  // sized up to 4 MiB of pixels and refused beyond, with a message and an
  // empty picture.
  h.type = 0;
  h.width = 20000;
  h.height = 1;
  EXPECT_EQ(Read(p, Tga(h, {0x04, 0x70}, {})), "RTGA: No image data included in file!\n");
  EXPECT_EQ(p.Width, 20000);
  h.width = 2400;
  h.height = 2400;
  EXPECT_EQ(Read(p, Tga(h, {0x04, 0x70}, {})), "RTGA: Image too large!\n");
  EXPECT_EQ(p.Width, 0);
  EXPECT_TRUE(p.Data.empty());
  EXPECT_TRUE(p.Info.empty());
  h.width = 16384;
  h.height = 16384;
  EXPECT_EQ(Read(p, Tga(h, {}, {})), "RTGA: Image too large!\n");
  h.type = 2;
  h.depth = 8;  // a depth no reader decodes
  EXPECT_EQ(Read(p, Tga(h, {}, {})), "RTGA: Image too large!\n");
  // A zero side keeps the header's sizes and gives no pixels, for every
  // type that decodes pixels; no packet or row is read for it.
  for (uint8_t type : {uint8_t(1), uint8_t(2), uint8_t(3), uint8_t(9), uint8_t(10), uint8_t(11)}) {
    h.type = type;
    h.depth = type == 2 || type == 10 ? 24 : 8;
    for (auto [width, height] : {std::pair<uint16_t, uint16_t>{0, 7}, {5, 0}}) {
      h.width = width;
      h.height = height;
      EXPECT_EQ(Read(p, Tga(h, {}, {})), "") << int(type);
      EXPECT_EQ(p.Width, width) << int(type);
      EXPECT_EQ(p.Height, height) << int(type);
      EXPECT_TRUE(p.Data.empty());
    }
  }
  // A glyph table of 256 records announced by a font picture's ID but not
  // in the file: a short read, before the table is allocated.
  h = TgaHeader();
  EXPECT_THROW(Read(p, Tga(h, Bytes(32, 0xFF), Bgr({A}))), EStreamError);
  EXPECT_EQ(p.Info.size(), 32u);
  // Truncated header, ID and pixels.
  EXPECT_THROW(Read(p, Bytes{0, 0, 2}), EStreamError);
  Bytes cutId = Tga(TgaHeader(), Bytes(5, 0), {});
  cutId.resize(20);
  EXPECT_THROW(Read(p, cutId), EStreamError);
  h = TgaHeader();
  h.type = 10;
  h.width = 200;
  EXPECT_THROW(Read(p, Tga(h, {}, Bytes{0x7F} + Bgr({A}))), EStreamError);
}

TEST(TgaReader, ReadingReplacesThePicture) {
  TRawPicture p;
  Read(p, Tga(TgaHeader(), {0x04, 0x70}, Bgr({A})));
  TgaHeader h;
  h.width = 2;
  Read(p, Tga(h, {}, Bgr({B, C})));
  EXPECT_EQ(p.InfoKind, 0);
  EXPECT_TRUE(p.Info.empty());
  EXPECT_EQ(p.Data, Bgr({B, C}));
}

// The readers as packets read, pixel by pixel through the stream: the
// first pixel of the file goes to the top row (topDown) or the bottom row,
// pixels past the last row are read and dropped, a short read raises after
// copying what there is, as a stream read does.
void ReadPixelByPixel(TStream& stream, int32_t width, int32_t height, uint8_t* data, bool topDown) {
  const size_t total = size_t(width) * size_t(height);
  auto at = [&](size_t k) {
    const size_t row = k / size_t(width);
    return data + ((topDown ? row : size_t(height) - 1 - row) * size_t(width) + k % size_t(width)) * 3;
  };
  size_t done = 0;
  while (done < total) {
    uint8_t packet[4];
    const size_t first = topDown ? 1 : 4;
    stream.ReadBuffer(packet, first);
    size_t count = size_t(packet[0] & 0x7F) + 1;
    if (packet[0] & 0x80) {
      if (topDown) stream.ReadBuffer(packet + 1, 3);
      for (; count > 0 && done < total; --count) std::memcpy(at(done++), packet + 1, 3);
      continue;
    }
    if (!topDown) {
      std::memcpy(at(done++), packet + 1, 3);
      --count;
    }
    for (; count > 0 && done < total; --count) {
      // The rest of the row in one read, as a short read leaves it.
      const size_t n = std::min(count, size_t(width) - done % size_t(width));
      uint8_t* out = at(done);
      const size_t got = stream.Read(out, n * 3);
      if (got != n * 3) throw EStreamError("Stream read error");
      done += n;
      count -= n - 1;
    }
    uint8_t scratch[128 * 3];
    if (count > 0) stream.ReadBuffer(scratch, count * 3);
  }
}

// Reads body with a fast reader and pixel by pixel, the stream cut at cut
// bytes (or whole when cut is beyond it), and compares what both leave.
void ExpectFastMatchesPlain(const Bytes& body, int32_t width, int32_t height, bool topDown, size_t cut) {
  const Bytes taken(body.begin(), body.begin() + std::min(cut, body.size()));
  TMemoryStream expectedStream(taken), actualStream(taken);
  // The fast readers take an uncleared buffer (here 0x5A) and leave the
  // pixels no packet reached black; nothing past the picture (0xEE) is touched.
  const size_t bytes = size_t(width) * size_t(height) * 3;
  Bytes expected(bytes + 32, 0xEE), actual(bytes + 32, 0xEE);
  std::fill_n(expected.begin(), bytes, 0);
  std::fill_n(actual.begin(), bytes, 0x5A);
  bool expectedRaised = false, actualRaised = false;
  try {
    ReadPixelByPixel(expectedStream, width, height, expected.data(), topDown);
  } catch (const EStreamError&) {
    expectedRaised = true;
  }
  try {
    if (topDown)
      ReadRLE24TopDown(actualStream, width, height, actual.data());
    else
      ReadRLE24BottomUp(actualStream, width, height, actual.data());
  } catch (const EStreamError&) {
    actualRaised = true;
  }
  EXPECT_EQ(actualRaised, expectedRaised);
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(actualStream.Position(), expectedStream.Position());
}

// count random packets: runs and literals of every length, mostly short.
Bytes RandomPackets(int count) {
  Bytes body;
  for (int i = 0; i < count; ++i) {
    const int length = Random(4) == 0 ? Random(128) : Random(20);
    if (Random(2)) {
      body.push_back(uint8_t(0x80 | length));
      for (int b = 0; b < 3; ++b) body.push_back(uint8_t(Random(256)));
    } else {
      body.push_back(uint8_t(length));
      for (int b = 0; b < 3 * (length + 1); ++b) body.push_back(uint8_t(Random(256)));
    }
  }
  return body;
}

TEST(TgaReader, FastReadersMatchPixelByPixelReadingOverRandomPackets) {
  RandSeed(17);
  // Small pictures with a few packets: long ones cross row ends (and, in
  // bottom-up files, run on in the row above), the last may run past the
  // picture; the stream may be cut anywhere.
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    const Bytes body = RandomPackets(Random(12)) + Bytes{1, 2, 3};
    ExpectFastMatchesPlain(body, 1 + Random(40), 1 + Random(6), trial % 2 == 0,
                           Random(3) == 0 ? size_t(Random(int32_t(body.size()) + 1)) : body.size());
  }
  // Pictures of many packets, rows narrower and wider than a 48-byte piece,
  // as the readers write them in whole pieces while the source lasts.
  for (int trial = 0; trial < 120; ++trial) {
    SCOPED_TRACE(1000 + trial);
    const Bytes body = RandomPackets(40 + Random(200));
    ExpectFastMatchesPlain(body, 1 + Random(trial % 3 == 0 ? 12 : 90), 1 + Random(30), trial % 2 == 0,
                           Random(3) == 0 ? size_t(Random(int32_t(body.size()) + 1)) : body.size());
  }
}

}  // namespace
}  // namespace zorbin
