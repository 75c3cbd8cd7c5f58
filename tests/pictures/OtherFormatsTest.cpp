// OtherFormatsTest: the BMP, CEL, MI, KEP, K16 and GSD readers and what they refuse.
#include "pictures/FastPaletteUnit.h"
#include "pictures/RawPictureUnit.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zorbin {
namespace {

using Bytes = std::vector<uint8_t>;

struct TBuilder {
  Bytes b;
  TBuilder& U8(int v) {
    b.push_back(uint8_t(v));
    return *this;
  }
  TBuilder& U16(int v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
  TBuilder& U32(int64_t v) { return U16(int(v & 0xFFFF)).U16(int((v >> 16) & 0xFFFF)); }
  TBuilder& Add(const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
  TBuilder& Text(const std::string& s) { return Add(Bytes(s.begin(), s.end())); }
};

using test::Bgr;
using test::operator+;
using namespace test::sample;

// A BMP palette entry: blue, green, red, reserved.
Bytes Entry(uint32_t rgb) { return Bgr({rgb}) + Bytes{0}; }

// A version 3 BMP; gap bytes stand between palette and pixels.
Bytes Bmp(int32_t w, int32_t h, int bits, int compression, int64_t coloursUsed, const Bytes& palette,
          const Bytes& pixels, const Bytes& gap = {}) {
  TBuilder f;
  const int64_t offset = 54 + int64_t(palette.size() + gap.size());
  f.Text("BM").U32(offset + int64_t(pixels.size())).U32(0).U32(offset);
  f.U32(40).U32(w).U32(h).U16(1).U16(bits).U32(compression).U32(int64_t(pixels.size())).U32(2835).U32(2835);
  f.U32(coloursUsed).U32(0);
  return f.Add(palette).Add(gap).Add(pixels).b;
}

template <typename Reader>
void Read(TRawPicture& p, const Bytes& file, Reader reader) {
  TMemoryStream s(file);
  (p.*reader)(s);
}

TEST(OtherFormats, Bmp24BitPaddedBottomUpRows) {
  // 3 x 2: 9 bytes per row padded to 12; the pixel offset skips a gap.
  Bytes pixels = Bgr({D, E, F}) + Bytes{0, 0, 0} + Bgr({A, B, C}) + Bytes{0, 0, 0};
  TRawPicture p;
  Read(p, Bmp(3, 2, 24, 0, 0, {}, pixels, {9, 9, 9, 9}), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Width, 3);
  EXPECT_EQ(p.Height, 2);
  EXPECT_EQ(p.InfoKind, 0);
  EXPECT_EQ(p.Data, Bgr({A, B, C, D, E, F}));
}

TEST(OtherFormats, BmpPalettedRows) {
  TRawPicture p;
  // 1 bit, 10 wide: two bytes per row, padded to four; most significant bit first.
  Bytes palette = Entry(A) + Entry(B);
  Read(p, Bmp(10, 1, 1, 0, 0, palette, {0b10110000, 0b01000000, 0xFF, 0xFF}), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({B, A, B, B, A, A, A, A, A, B}));

  // 4 bits, 5 wide: the fifth pixel is the high nibble of the third byte.
  Bytes palette16;
  for (uint32_t i = 0; i < 16; ++i) palette16 = palette16 + Entry(i * 0x111111);
  Bytes rows = Bytes{0x12, 0x34, 0x5F, 0xEE} + Bytes{0xAB, 0xCD, 0xE0, 0x00};
  Read(p, Bmp(5, 2, 4, 0, 0, palette16, rows), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({0xAAAAAA, 0xBBBBBB, 0xCCCCCC, 0xDDDDDD, 0xEEEEEE,  // top row = last in file
                         0x111111, 0x222222, 0x333333, 0x444444, 0x555555}));

  // 8 bits with two colours used: index 5 lies beyond them and is black.
  Read(p, Bmp(3, 1, 8, 0, 2, palette, {1, 5, 0, 0xEE}), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({B, 0, A}));
}

TEST(OtherFormats, BmpRle8) {
  Bytes palette;
  for (uint32_t i = 0; i < 256; ++i) palette = palette + Entry(i);
  TRawPicture p;
  Read(p, Bmp(4, 2, 8, 1, 0, palette, {0x03, 0x05, 0x00, 0x00, 0x00, 0x01}), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({0, 0, 0, 0, 5, 5, 5, 0}));

  // Absolute run of 3 with its pad byte, a run past the right edge (cut),
  // end of line, a delta up into the top row, a run there, and a delta past
  // the top that ends decoding without an end-of-bitmap mark.
  Bytes rle{0x00, 0x03, 1,    2,    3,    0x00, 0x06, 0x04, 0x00, 0x00,
            0x00, 0x02, 0x01, 0x01, 0x02, 0x07, 0x00, 0x02, 0x00, 0x05};
  Read(p, Bmp(4, 3, 8, 1, 0, palette, rle), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({0, 7, 7, 0, 0, 0, 0, 0, 1, 2, 3, 4}));

  // Runs and absolute runs entirely outside the picture are dropped.
  Bytes outside{0x00, 0x02, 0xFF, 0x00, 0x10, 0x09, 0x00, 0x03, 9, 9, 9, 0, 0x00, 0x01};
  Read(p, Bmp(2, 1, 8, 1, 0, palette, outside), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Data, Bgr({0, 0}));
}

TEST(OtherFormats, BmpRefusals) {
  test::TCapturedLog log;
  TRawPicture p(1, 1);
  const Bytes before = Bgr({A});
  p.Data.assign(before.begin(), before.end());
  Bytes notBmp = Bmp(1, 1, 24, 0, 0, {}, Bgr({B}) + Bytes{0});
  notBmp[0] = 'X';
  Read(p, notBmp, &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Not a .BMP file!"));
  Bytes coreHeader = Bmp(1, 1, 24, 0, 0, {}, Bgr({B}) + Bytes{0});
  coreHeader[14] = 12;
  Read(p, coreHeader, &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Only Windows V3 BMP header supported!"));
  Read(p, Bmp(1, -1, 24, 0, 0, {}, Bgr({B}) + Bytes{0}), &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Unsupported picture size! (1x-1)"));
  Read(p, Bmp(70000, 1, 24, 0, 0, {}, {}), &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Unsupported picture size! (70000x1)"));
  // A depth that is not decoded, or run-length pairs too few for the size:
  // no data vouches for 3000 x 3000 (27 MB of pixels).
  Read(p, Bmp(3000, 3000, 16, 0, 0, {}, {}), &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Unsupported picture size! (3000x3000)"));
  Read(p, Bmp(3000, 3001, 8, 1, 0, Bytes(1024, 0), {0, 1}), &TRawPicture::ReadBMPStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadBMP] Unsupported picture size! (3000x3001)"));
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Data, Bgr({A})) << "refusals leave the picture as it was";

  // 16 bits: sized, no pixels decoded.
  Read(p, Bmp(2, 2, 16, 0, 0, {}, Bytes(8, 0xFF)), &TRawPicture::ReadBMPStream);
  EXPECT_EQ(p.Width, 2);
  EXPECT_EQ(p.Data, Bytes(12, 0));

  // Short files and a colour count far beyond the file are short streams.
  TRawPicture q;
  EXPECT_THROW(Read(q, Bmp(3, 2, 24, 0, 0, {}, Bytes(20, 0)), &TRawPicture::ReadBMPStream), EStreamError);
  EXPECT_THROW(Read(q, Bmp(1, 1, 8, 0, 0x40000000, {}, {0, 0, 0, 0}), &TRawPicture::ReadBMPStream), EStreamError);
  EXPECT_THROW(Read(q, Bytes{'B', 'M', 0, 0}, &TRawPicture::ReadBMPStream), EStreamError);
  EXPECT_EQ(q.Width, 0);
}

TEST(OtherFormats, Cel) {
  TBuilder f;
  f.U16(0x9119).U16(2).U16(1).Add(Bytes(26, 0));
  Bytes palette(768, 0);
  palette[0] = 63;  // entry 0: red 63, green 0, blue 1
  palette[2] = 1;
  palette[3] = 1;  // entry 1: 1, 2, 3
  palette[4] = 2;
  palette[5] = 3;
  f.Add(palette).Add({1, 0});
  TRawPicture p;
  Read(p, f.b, &TRawPicture::ReadCELStream);
  EXPECT_EQ(p.Data, Bgr({0x04080C, 0xFC0004}));

  test::TCapturedLog log;
  f.b[0] = 0x18;
  Read(p, f.b, &TRawPicture::ReadCELStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadCEL] Not a .CEL file!"));
  EXPECT_EQ(p.Width, 2);
}

Bytes Mi(const std::string& tag, int w, int h, const Bytes& pixels) {
  return TBuilder().Text("MI").U16(256).Text(tag).U16(0).U16(w).U16(h).Add(pixels).b;
}

TEST(OtherFormats, MiColourTags) {
  TRawPicture p;
  Read(p, Mi("GS", 2, 1, {0x00, 0x7F}), &TRawPicture::ReadMIStream);
  EXPECT_EQ(p.Data, Bgr({0, 0x7F7F7F}));
  // "24": red, green, blue in the file.
  Read(p, Mi("24", 1, 2, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}), &TRawPicture::ReadMIStream);
  EXPECT_EQ(p.Data, Bgr({0x102030, 0x405060}));
  Read(p, Mi("16", 2, 1, {0x1F, 0xF8, 0xE0, 0x07}), &TRawPicture::ReadMIStream);
  EXPECT_EQ(p.Data, Bgr({0xF800F8, 0x00FC00}));

  test::TCapturedLog log;
  Read(p, Mi("32", 2, 1, Bytes(8, 0x55)), &TRawPicture::ReadMIStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, ReadMI100] Invalid color depth! (3233)"));
  EXPECT_EQ(p.Width, 2);
  EXPECT_EQ(p.Data, Bytes(6, 0)) << "sized, not decoded";

  Bytes wrong = Mi("GS", 1, 1, {1});
  wrong[1] = 'X';
  Read(p, wrong, &TRawPicture::ReadMIStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadMI] Not an .MI file!"));
  Bytes version = Mi("GS", 1, 1, {1});
  version[3] = 2;
  Read(p, version, &TRawPicture::ReadMIStream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadMI] Unknown .MI file version!"));
  EXPECT_EQ(p.Width, 2);

  // Long rows are read whole.
  Read(p, Mi("GS", 5000, 1, Bytes(5000, 9)), &TRawPicture::ReadMIStream);
  EXPECT_EQ(p.Width, 5000);
  EXPECT_EQ(p.Data.back(), 9);
  EXPECT_THROW(Read(p, Mi("24", 5000, 1, Bytes(5000, 9)), &TRawPicture::ReadMIStream), EStreamError);
}

TEST(OtherFormats, KepUsesTheCurrentPaletteAndBothSizeReadings) {
  // 15, 15 with 256 pixels: largest coordinates, so 16 x 16.
  Bytes pixels(256, 0);
  pixels[1] = 1;
  pixels[255] = 3;
  TRawPicture p;
  Read(p, TBuilder().U16(15).U16(15).Add(pixels).b, &TRawPicture::ReadKEPStream);
  ASSERT_EQ(p.Width, 16);
  ASSERT_EQ(p.Height, 16);
  EXPECT_EQ(Bytes(p.Data.begin(), p.Data.begin() + 6), Bgr({0x000000, 0xFCFCFC}));
  EXPECT_EQ(Bytes(p.Data.end() - 3, p.Data.end()), Bgr({0xF02814}));
  // 15, 15 with 225 pixels: the size itself.
  pixels.resize(225);
  pixels[224] = 2;
  Read(p, TBuilder().U16(15).U16(15).Add(pixels).b, &TRawPicture::ReadKEPStream);
  EXPECT_EQ(p.Width, 15);
  EXPECT_EQ(p.Height, 15);
  EXPECT_EQ(Bytes(p.Data.end() - 3, p.Data.end()), Bgr({0x2050D8}));
  // Reading a KEP never changes the palette.
  EXPECT_EQ(Bytes(CurrentPalette, CurrentPalette + 768), Bytes(DefaultPalette, DefaultPalette + 768));
}

TEST(OtherFormats, K16AndGsd) {
  TRawPicture p;
  Read(p, TBuilder().U16(0).U16(0).U16(0xF800).b, &TRawPicture::ReadK16Stream);
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Height, 1);
  EXPECT_EQ(p.Data, Bgr({0xF80000}));
  Read(p, TBuilder().U16(1).U16(0).U16(0x001F).U16(0x07E0).b, &TRawPicture::ReadK16Stream);
  EXPECT_EQ(p.Data, Bgr({0x0000F8, 0x00FC00}));

  Read(p, TBuilder().U16(1).U16(2).Add({1, 2, 3, 4}).b, &TRawPicture::ReadGSDStream);
  EXPECT_EQ(p.Width, 1);
  EXPECT_EQ(p.Height, 2);
  EXPECT_EQ(p.Data, Bgr({0x010101, 0x020202}));

  test::TCapturedLog log;
  Read(p, TBuilder().U16(0xFFFF).U16(0).b, &TRawPicture::ReadK16Stream);
  EXPECT_TRUE(log.Contains("[RawPictureUnit, TRawPicture.ReadK16] Unsupported picture size! (65536x1)"));
  EXPECT_THROW(Read(p, TBuilder().U16(1000).U16(1000).Add(Bytes(999, 0)).b, &TRawPicture::ReadGSDStream), EStreamError);
  EXPECT_EQ(p.Width, 1) << "a refused file leaves the picture as it was";
}

}  // namespace
}  // namespace zorbin
