// Fonts: raster and TGA fonts, text widths and drawing text on a target image.
#include "pictures/ImageUnit.h"
#include "pictures/QXFonts.h"
#include "storage/QXStream.h"
#include "util/Streams.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zorbin {
namespace {

// A raster font file: header, optional presence map, then the glyph rows.
std::string Qxr(uint8_t flags, uint8_t w, uint8_t h, const std::string& body) {
  return std::string("QXAR") + char(flags) + char(w) + char(h) + body;
}

// A full (non-sparse) 6 x 9 font with the descender shift, as the game's.
std::string GameFont() {
  std::string glyphs(256 * 9, '\0');
  glyphs['A' * 9 + 0] = 0x20;  // leftmost pixel of row 0
  glyphs['A' * 9 + 8] = 0x01;  // rightmost pixel of row 8
  glyphs['g' * 9 + 0] = 0x20;
  return Qxr(1, 6, 9, glyphs);
}

// A top-down 24-bit TGA font: pixels 0xRRGGBB, the glyph bitmap as the ID
// and one record per set bit behind the pixels.
std::string TgaFont(int w, int h, const std::vector<uint32_t>& rgb,
                    const std::vector<std::pair<int, TGlyphRect>>& glyphs) {
  std::string id(32, '\0'), table;
  for (const auto& [code, r] : glyphs) {
    id[size_t(code) >> 3] = char(uint8_t(id[size_t(code) >> 3]) | (0x80 >> (code & 7)));
    for (int32_t v : {r.Left, r.Top, r.Right, r.Bottom}) table += {char(v & 255), char((v >> 8) & 255)};
  }
  return test::Tga(w, h, rgb, id) + table;
}

using test::Rgb;

// A 12 x 5 picture: 'A' = columns 0-5 (column 0 white), 'B' = columns 6-11
// (column 6 red). "AB" is 13 pixels wide.
std::string TwoLetterFont() {
  std::vector<uint32_t> px(12 * 5, 0);
  for (int y = 0; y < 5; ++y) px[size_t(y) * 12] = 0xFFFFFF, px[size_t(y) * 12 + 6] = 0xFF0000;
  return TgaFont(12, 5, px, {{'A', {0, 0, 5, 4}}, {'B', {6, 0, 11, 4}}});
}

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override { SetImageDepth(32); }
  void TearDown() override { SetImageDepth(24); }
};

TEST_F(Fonts, RasterFontCellsAndDescenderShift) {
  TMemoryStream file(GameFont());
  TQXRFont font(file);
  EXPECT_EQ(font.Height, 10);
  EXPECT_EQ(font.LineHeight, 10);
  EXPECT_EQ(font.Spacing, 0);
  EXPECT_EQ(font.SpaceWidth, 6);
  EXPECT_EQ(font.TextWidth("AB"), 12);
  EXPECT_EQ(font.TextWidth("A B"), 18);
  ASSERT_NE(font.Image, nullptr);
  EXPECT_EQ(font.Image->Width(), 6 * 256);
  EXPECT_EQ(font.Image->Height(), 10);
  const TGlyphRect& a = font.Glyphs[int('A')];
  EXPECT_EQ(a.Left, 390);
  EXPECT_EQ(a.Right, 395);
  EXPECT_EQ(a.Bottom, 9);
  EXPECT_EQ(Rgb(*font.Image, 390, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*font.Image, 391, 0), 0u);
  EXPECT_EQ(Rgb(*font.Image, 395, 8), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*font.Image, 395, 9), 0u);
  // 'g' is drawn one row lower: its row 0 lands on row 1.
  EXPECT_EQ(Rgb(*font.Image, 618, 0), 0u);
  EXPECT_EQ(Rgb(*font.Image, 618, 1), 0xFFFFFFu);
}

TEST_F(Fonts, RasterFontColourAndKey) {
  TMemoryStream file(GameFont());
  TQXRFont font(file);
  font.SetColorKey(0, 0, 0);
  font.SetColor(64, 96, 128);
  EXPECT_EQ(font.ColorR, 64);
  EXPECT_EQ(Rgb(*font.Image, 390, 0), uint32_t(64 << 16 | 96 << 8 | 128));
  EXPECT_NE(font.Image->Surface->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(font.Image->Surface->format->colorkey, font.Image->MapRGB(0, 0, 0));
  TImage dest(20, 12);
  dest.FillRect(0, 0, 20, 12, 9, 9, 9);
  font.TextOutOn(&dest, "A", 10, 2, 0);
  EXPECT_EQ(Rgb(dest, 10, 2), uint32_t(64 << 16 | 96 << 8 | 128));
  EXPECT_EQ(Rgb(dest, 15, 10), uint32_t(64 << 16 | 96 << 8 | 128));
  EXPECT_EQ(Rgb(dest, 11, 2), 0x090909u);  // the black cell is transparent
}

TEST_F(Fonts, RasterFontWithoutMagicDrawsNothing) {
  TMemoryStream file(std::string("QXAB\x01\x06\x09", 7) + std::string(2304, '\xFF'));
  TQXRFont font(file);
  EXPECT_EQ(font.Image, nullptr);
  EXPECT_EQ(font.Glyphs[int('A')].Right, 0);
  font.SetColorKey(0, 0, 0);
  font.SetColor(1, 2, 3);
  EXPECT_EQ(font.Image, nullptr);
  TImage dest(8, 8);
  dest.FillRect(0, 0, 8, 8, 9, 9, 9);
  font.TextOutOn(&dest, "AAAA", 0, 0, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(Rgb(dest, x, y), 0x090909u);
  TMemoryStream tiny(std::string("QX"));
  TQXRFont none(tiny);
  EXPECT_EQ(none.Image, nullptr);
}

TEST_F(Fonts, SparseAndWideRasterFonts) {
  std::string present(32, '\0');
  present['A' >> 3] = char(0x80 >> ('A' & 7));
  TMemoryStream sparse(Qxr(2, 8, 2, present + std::string("\x81\xFF", 2)));
  TQXRFont font(sparse);
  EXPECT_EQ(font.Height, 2);
  EXPECT_EQ(Rgb(*font.Image, 520, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*font.Image, 521, 0), 0u);
  EXPECT_EQ(Rgb(*font.Image, 527, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*font.Image, 524, 1), 0xFFFFFFu);
  for (int x = 528; x < 536; ++x) EXPECT_EQ(Rgb(*font.Image, x, 1), 0u) << x;  // 'B' is not in the file

  // Ten pixels a row in two bytes, right-aligned: leftmost pixel = bit 1 of
  // the first byte, rightmost = bit 0 of the second.
  std::string rows(256 * 2, '\0');
  rows[0] = 0x02, rows[1] = 0x01;
  TMemoryStream wideFile(Qxr(0, 10, 1, rows));
  TQXRFont wide(wideFile);
  EXPECT_EQ(Rgb(*wide.Image, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*wide.Image, 9, 0), 0xFFFFFFu);
  for (int x = 1; x < 9; ++x) EXPECT_EQ(Rgb(*wide.Image, x, 0), 0u) << x;
}

TEST_F(Fonts, HostileRasterFonts) {
  test::TCapturedLog log;
  // Glyph rows cut short: the codes that have them are drawn, the rest blank.
  TMemoryStream shortFile(Qxr(0, 8, 1, std::string("\x00\x80", 2)));
  TQXRFont font(shortFile);
  EXPECT_EQ(Rgb(*font.Image, 8, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(*font.Image, 16, 0), 0u);
  EXPECT_TRUE(log.Contains("[QXFonts, TQXRFont.Create] Font file truncated."));
  // A sparse file whose presence map runs past the end.
  TMemoryStream cut(Qxr(2, 8, 1, std::string(10, '\xFF')));
  TQXRFont sparse(cut);
  EXPECT_EQ(Rgb(*sparse.Image, 0, 0), 0u);
  // A header cut short gives the empty font.
  TMemoryStream header(std::string("QXAR\x01", 5));
  TQXRFont empty(header);
  EXPECT_EQ(empty.Image, nullptr);
  // A header alone announcing 120 x 255 cells: a picture of 23 MB that no
  // glyph data backs is refused, leaving the empty font.
  TMemoryStream claim(Qxr(0, 120, 255, std::string(10, '\x01')));
  TQXRFont refused(claim);
  EXPECT_EQ(refused.Image, nullptr);
  EXPECT_EQ(refused.Height, 0);
  EXPECT_TRUE(log.Contains("[QXFonts, TQXRFont.Create] Font too large for its data! (120x255)"));
  // Cells too wide for a surface (200 * 256 pixels) fail as surfaces do.
  TMemoryStream wide(Qxr(0, 200, 1, ""));
  EXPECT_THROW(TQXRFont font2(wide), std::runtime_error);
  EXPECT_TRUE(log.Contains("{ImageUnit, TImage.Create} Cannot create surface (51200x1)"));
}

TEST_F(Fonts, TgaFontGlyphsWidthsAndAlignment) {
  TMemoryStream file(TwoLetterFont());
  TTGAFont font(file);
  EXPECT_EQ(font.Height, 5);
  EXPECT_EQ(font.Spacing, 1);
  EXPECT_EQ(font.TextWidth(" "), 9);
  EXPECT_EQ(font.TextWidth(""), -1);
  EXPECT_EQ(font.TextWidth("AB"), 13);
  EXPECT_EQ(font.Glyphs[int('B')].Left, 6);
  EXPECT_EQ(font.Glyphs[int('C')].Right, 0);
  TImage dest(120, 6);
  font.TextOutOn(&dest, "AB", 100, 1, 1);  // centred: 100 - 13 div 2 = 94
  EXPECT_EQ(Rgb(dest, 93, 1), 0u);
  EXPECT_EQ(Rgb(dest, 94, 1), 0xFFFFFFu);
  EXPECT_EQ(Rgb(dest, 101, 5), 0xFF0000u);
  TImage right(120, 6);
  font.TextOutOn(&right, "AB", 100, 0, 2);
  EXPECT_EQ(Rgb(right, 87, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(right, 94, 0), 0xFF0000u);
  TImage spaced(120, 6);
  font.TextOutOn(&spaced, "A A", 0, 0, 0);  // space: 10 pixels, never drawn
  EXPECT_EQ(Rgb(spaced, 17, 0), 0xFFFFFFu);
}

TEST_F(Fonts, TgaFontRecolourThroughTheGreyMap) {
  TMemoryStream file(TwoLetterFont());
  TTGAFont font(file);
  ASSERT_NE(font.GreyMap, nullptr);
  EXPECT_EQ(Rgb(*font.Image, 6, 0), 0xFF0000u);  // own colours until SetColor
  font.SetColorKey(0, 0, 0);
  font.SetColor(64, 96, 128);
  EXPECT_EQ(Rgb(*font.Image, 0, 0), uint32_t(63 << 16 | 95 << 8 | 127));
  EXPECT_EQ(Rgb(*font.Image, 6, 0), uint32_t(19 << 16 | 28 << 8 | 38));  // grey 76
  EXPECT_NE(font.Image->Surface->flags & SDL_SRCCOLORKEY, 0u);
  EXPECT_EQ(font.Glyphs[int('B')].Left, 6);
}

TEST_F(Fonts, TgaFontTablesOfManyGlyphsAndNone) {
  std::vector<std::pair<int, TGlyphRect>> glyphs;
  for (int k = 0; k < 77; ++k) glyphs.push_back({k, {k, 0, k, 0}});
  TMemoryStream file(TgaFont(80, 1, std::vector<uint32_t>(80, 0x808080), glyphs));
  TTGAFont font(file);
  EXPECT_EQ(font.Glyphs[0].Left, 0);
  EXPECT_EQ(font.Glyphs[76].Left, 76);
  EXPECT_EQ(font.Glyphs[77].Left, 0);
  EXPECT_EQ(file.Position(), file.Size());  // the 616 record bytes were consumed

  std::string plain(18, '\0');
  plain[2] = 2, plain[12] = 2, plain[14] = 1, plain[16] = 24, plain[17] = 0x20;
  TMemoryStream noTable(plain + std::string(6, '\x7F'));
  TTGAFont blank(noTable);
  EXPECT_EQ(blank.Image->Width(), 16);
  EXPECT_EQ(blank.Image->Height(), 16);
  EXPECT_EQ(Rgb(*blank.Image, 3, 3), 0u);
  EXPECT_EQ(blank.Height, 1);
  EXPECT_EQ(blank.Glyphs[int('A')].Right, 0);
}

TEST_F(Fonts, HostileTgaFontRectanglesStayInThePicture) {
  std::vector<uint32_t> px(12 * 5, 0);
  px[10] = 0x00FF00, px[11] = 0x0000FF;
  TMemoryStream file(
      TgaFont(12, 5, px, {{'A', {10, 0, 60000, 65535}}, {'B', {65535, 65535, 0, 0}}, {'C', {40000, 0, 40010, 4}}}));
  TTGAFont font(file);
  TImage dest(40, 8);
  dest.FillRect(0, 0, 40, 8, 9, 9, 9);
  font.TextOutOn(&dest, "A", 0, 0, 0);
  EXPECT_EQ(Rgb(dest, 0, 0), 0x00FF00u);
  EXPECT_EQ(Rgb(dest, 1, 0), 0x0000FFu);
  EXPECT_EQ(Rgb(dest, 2, 0), 0x090909u);
  EXPECT_EQ(Rgb(dest, 0, 5), 0x090909u);
  TImage other(40, 8);
  other.FillRect(0, 0, 40, 8, 9, 9, 9);
  font.TextOutOn(&other, "BCBC", 0, 0, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(Rgb(other, x, y), 0x090909u) << x << "," << y;
  EXPECT_EQ(font.TextWidth("A"), 59991);
  // A glyph table that the file does not hold in full is a short read.
  std::string whole = TwoLetterFont();
  TMemoryStream cut(whole.substr(0, whole.size() - 4));
  EXPECT_THROW(TTGAFont broken(cut), EStreamError);
}

class FontFiles : public Fonts {
 protected:
  void SetUp() override {
    Fonts::SetUp();
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    StreamOpener = std::make_unique<TQXStreamOpener>("", nullptr);
  }
  void TearDown() override {
    StreamOpener.reset();
    std::filesystem::current_path(saved_);
    Fonts::TearDown();
  }
  test::TTempDir dir_;
  std::filesystem::path saved_;
};

TEST_F(FontFiles, NamesGoThroughTheStreamOpener) {
  test::WriteFileText(dir_.File("lilnums.tga"), TwoLetterFont());
  test::WriteFileText(dir_.File("npi69.qxr"), GameFont());
  TTGAFont digits("lilnums");
  EXPECT_EQ(digits.FileName, "lilnums.tga");
  EXPECT_EQ(digits.TextWidth("AB"), 13);
  TQXRFont main("npi69.qxr");
  EXPECT_EQ(main.Height, 10);
  try {
    TQXRFont missing("npi69");  // no extension is added
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "OpenStream failed: npi69");
  }
  EXPECT_THROW(TTGAFont("font"), std::runtime_error);
}

TEST_F(Fonts, TextOutDrawsOnItsTarget) {
  TMemoryStream file(TwoLetterFont());
  TTGAFont font(file);
  font.TextOut("BA", 3, 4, 0);  // no target yet: nothing to draw on, nothing happens
  TImage target(64, 48);
  font.Target = &target;
  font.TextOut("BA", 3, 4, 0);
  EXPECT_EQ(Rgb(target, 3, 4), 0xFF0000u);
  EXPECT_EQ(Rgb(target, 10, 8), 0xFFFFFFu);
  EXPECT_EQ(Rgb(target, 2, 4), 0u);
  font.TextOut("A", 65536 + 20, 30, 0);  // beyond 16-bit positions: must not wrap to x = 20
  EXPECT_EQ(Rgb(target, 20, 30), 0u);
}

}  // namespace
}  // namespace zorbin
