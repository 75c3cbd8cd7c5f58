// QXFonts: text measuring and drawing, re-colouring, and the readers of
// raster and TGA fonts.
#include "pictures/QXFonts.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "pictures/RawPictureUnit.h"
#include "storage/QXStream.h"
#include "util/ByteOrder.h"
#include "util/Streams.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace zorbin {

std::unique_ptr<TQXRFont> MainFont;
std::unique_ptr<TTGAFont> DigitsFont;

// ---- TFont

TFont::TFont() = default;
TFont::~TFont() = default;

int32_t TFont::TextWidth(const std::string& s) const {
  int64_t width = 0;
  for (char ch : s) {
    if (ch == ' ') {
      width += SpaceWidth;
    } else {
      const TGlyphRect& g = Glyphs[uint8_t(ch)];
      width += int64_t(g.Right) - g.Left + 1 + Spacing;
    }
  }
  width -= Spacing;
  return int32_t(std::clamp<int64_t>(width, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

template <typename TDrawGlyph>
void TFont::Walk(const std::string& s, int x, int align, TDrawGlyph drawGlyph) const {
  int64_t pos = x;
  if (align == 1)
    pos -= TextWidth(s) / 2;
  else if (align == 2)
    pos -= TextWidth(s);
  const int64_t picW = Image ? Image->Width() : 0;
  const int64_t picH = Image ? Image->Height() : 0;
  for (char ch : s) {
    if (ch == ' ') {
      pos += SpaceWidth;
      continue;
    }
    const TGlyphRect& g = Glyphs[uint8_t(ch)];
    // The rectangle is cut to the picture here, so that a font file's
    // rectangles never reach the blit outside the picture or wrapped into
    // 16-bit coordinates; the visible part keeps its place.
    int64_t left = std::max<int64_t>(g.Left, 0), top = std::max<int64_t>(g.Top, 0);
    int64_t right = std::min<int64_t>(g.Right, picW - 1), bottom = std::min<int64_t>(g.Bottom, picH - 1);
    if (right >= left && bottom >= top)
      drawGlyph(int(pos + (left - g.Left)), int(top), int(left), int(top), int(right - left + 1),
                int(bottom - top + 1));
    pos += int64_t(g.Right) - g.Left + 1 + Spacing;
  }
}

void TFont::TextOut(const std::string& s, int x, int y, int align) const {
  if (!Target) return;
  const TImage* image = Image.get();
  Walk(s, x, align, [&](int dx, int dy, int left, int top, int w, int h) {
    // Blits take 16-bit positions: a glyph beyond them is off every surface
    // and must not wrap back onto it.
    if (dx < INT16_MIN || dx > INT16_MAX || y + int64_t(dy) < INT16_MIN || y + int64_t(dy) > INT16_MAX) return;
    Target->DrawPart(dx, y + dy, left, top, w, h, image);
  });
}

void TFont::TextOutOn(TImage* dest, const std::string& s, int x, int y, int align) const {
  if (!dest) return;
  const TImage* image = Image.get();
  Walk(s, x, align,
       [&](int dx, int dy, int left, int top, int w, int h) { dest->DrawPart(dx, y + dy, left, top, w, h, image); });
}

void TFont::ApplyColorKey() {
  if (!ColorKeySet || !Image || !Image->Surface) return;
  SDL_Surface* surface = Image->Surface;
  SDL_SetColorKey(surface, SDL_SRCCOLORKEY | SDL_RLEACCEL | SDL_HWACCEL, SDL_MapRGB(surface->format, KeyR, KeyG, KeyB));
}

void TFont::SetColorKey(uint8_t r, uint8_t g, uint8_t b) {
  ColorKeySet = true;
  KeyR = r;
  KeyG = g;
  KeyB = b;
  ApplyColorKey();
}

void TFont::SetColor(uint8_t r, uint8_t g, uint8_t b) {
  if (!GreyMap) return;
  GreyMap->SetPosition(0);
  Image = TImage::CreateFromGreyMap(*GreyMap, r, g, b);
  ApplyColorKey();
}

// ---- TQXRFont

static const char* const kQXRContext = "QXFonts, TQXRFont.Create";

TQXRFont::TQXRFont(const std::string& fileName) {
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream(fileName);
  Read(*stream);
}

TQXRFont::TQXRFont(TStream& stream) { Read(stream); }

TQXRFont::~TQXRFont() = default;

static int RowBytes(int cellWidth) { return (cellWidth - 1) / 8 + 1; }

void TQXRFont::Read(TStream& stream) {
  char magic[4];
  if (stream.Read(magic, 4) != 4 || std::memcmp(magic, "QXAR", 4) != 0) return;
  uint8_t header[3];
  if (stream.Read(header, 3) != 3) {
    Log->Warning("Font file truncated.", kQXRContext);
    return;
  }
  Flags = header[0];
  CellWidth = header[1];
  CellHeight = header[2];
  LineHeight = uint16_t(CellHeight + ((Flags & 1) ? 1 : 0));
  Height = LineHeight;

  // Every code gets its cell's bytes; codes missing from a sparse file and
  // rows missing from a short file stay blank. The table holds only what
  // the file gives (and the gaps between sparse codes), so a short file
  // cannot make it large.
  const size_t glyphBytes = size_t(RowBytes(CellWidth)) * CellHeight;
  uint8_t present[32];
  std::memset(present, 0xFF, sizeof present);
  bool complete = true;
  if (Flags & 2) {
    complete = stream.Read(present, 32) == 32;
    // A presence map cut short gives no glyphs.
    if (!complete) std::memset(present, 0, sizeof present);
  }
  uint64_t needed = 0;
  for (const uint8_t bits : present) needed += uint64_t(std::popcount(bits)) * glyphBytes;
  const int64_t remaining = stream.Remaining();
  complete = complete && remaining >= 0 && uint64_t(remaining) >= needed;
  if (!complete) {
    Log->Warning("Font file truncated.", kQXRContext);
    // Its picture is sized by the header alone: like a picture file without
    // pixel data, it may take only so much memory.
    if (uint64_t(CellWidth) * 256 * LineHeight * 3 > TRawPicture::kMaxUndecodedBytes) {
      Log->Warning(
          "Font too large for its data! (" + std::to_string(CellWidth) + "x" + std::to_string(CellHeight) + ")",
          kQXRContext);
      Height = 0;
      return;
    }
  }
  GlyphData = std::make_unique<TMemoryStream>();
  std::vector<uint8_t>& data = GlyphData->Data();
  for (size_t k = 0; k < 256 && glyphBytes > 0; ++k) {
    if (!(present[k >> 3] & (0x80 >> (k & 7)))) continue;
    data.resize((k + 1) * glyphBytes);
    const size_t got = stream.Read(data.data() + k * glyphBytes, glyphBytes);
    if (got < glyphBytes) {
      data.resize(k * glyphBytes + got);
      break;
    }
  }

  SetColor(255, 255, 255);
  Spacing = 0;
  SpaceWidth = CellWidth;
}

void TQXRFont::SetColor(uint8_t r, uint8_t g, uint8_t b) {
  ColorR = r;
  ColorG = g;
  ColorB = b;
  if (!GlyphData) return;
  const int w = CellWidth, h = CellHeight;
  const int rowBytes = RowBytes(w);
  auto image = std::make_unique<TImage>(w * 256, LineHeight);
  const uint32_t ink = image->MapRGB(r, g, b);
  const std::vector<uint8_t>& data = GlyphData->Data();
  size_t at = 0;
  for (int k = 0; k < 256; ++k) {
    Glyphs[k] = TGlyphRect{k * w, 0, (k + 1) * w - 1, LineHeight - 1};
    int shift = (Flags & 1) && (k == 'g' || k == 'q' || k == 'y') ? 1 : 0;
    // Rows past the end of the table were not in the file: blank.
    for (int y = 0; y < h && at + size_t(rowBytes) <= data.size(); ++y, at += size_t(rowBytes)) {
      const uint8_t* row = data.data() + at;
      // The row's pixels are its w lowest bits, the leftmost in bit w - 1,
      // counted across all of the row's bytes (the last byte holds bits 0-7).
      for (int x = 0; x < w; ++x) {
        int bit = w - 1 - x;
        if ((row[rowBytes - 1 - bit / 8] >> (bit % 8)) & 1) image->PutPixelRaw(k * w + x, y + shift, ink);
      }
    }
  }
  Image = std::move(image);
  ApplyColorKey();
}

// ---- TTGAFont

TTGAFont::TTGAFont(const std::string& fileName) {
  FileName = AddDefaultExtension(fileName, ".tga");
  std::unique_ptr<TStream> stream = StreamOpener->OpenStream(FileName);
  Read(*stream);
}

TTGAFont::TTGAFont(TStream& stream) { Read(stream); }

void TTGAFont::Read(TStream& stream) {
  TRawPicture raw;
  raw.ReadTGAStream(stream);
  if (raw.InfoKind == 3) {
    // One 8-byte record per set bit, in code order, behind the 32-byte map;
    // a table cut short leaves the remaining rectangles zero.
    size_t record = 32;
    for (int k = 0; k < 256; ++k) {
      if (!(raw.GetInfoByte(k >> 3) & (0x80 >> (k & 7)))) continue;
      if (record + 8 > raw.Info.size()) break;
      auto word = [&](size_t i) { return int32_t(LoadLE16(&raw.Info[record + i])); };
      Glyphs[k] = TGlyphRect{word(0), word(2), word(4), word(6)};
      record += 8;
    }
    Image = TImage::CreateFromRawPicture(raw);
  } else {
    Image = std::make_unique<TImage>(16, 16);
  }
  Spacing = 1;
  SpaceWidth = 10;
  Height = raw.Height;
  GreyMap = ImageToGrayStream(Image.get());
}

}  // namespace zorbin
