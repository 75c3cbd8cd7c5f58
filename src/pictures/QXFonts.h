// QXFonts: bitmap fonts. A font is one glyph picture plus 256 inclusive
// glyph rectangles, one per byte code. TQXRFont reads the fixed-cell raster
// files ("QXAR"), TTGAFont a TGA picture with the glyph table in its info
// bytes. Also the two fonts the whole game shares, MainFont and DigitsFont,
// which the start-up creates and frees.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zorbin {

class TImage;
class TMemoryStream;
class TStream;

struct TGlyphRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

class TFont {
 public:
  TFont();
  virtual ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Sum of the glyph advances of s minus one Spacing; -Spacing when empty.
  int32_t TextWidth(const std::string& s) const;
  // Align: 1 centred on x, 2 right-aligned at x, anything else from x.
  // TextOut draws on Target, TextOutOn on dest.
  void TextOut(const std::string& s, int x, int y, int align) const;
  void TextOutOn(TImage* dest, const std::string& s, int x, int y, int align) const;
  // Makes the colour transparent, now and after every SetColor.
  void SetColorKey(uint8_t r, uint8_t g, uint8_t b);
  // Re-tints the glyph picture from the grey map.
  virtual void SetColor(uint8_t r, uint8_t g, uint8_t b);

  std::unique_ptr<TMemoryStream> GreyMap;
  std::unique_ptr<TImage> Image;
  // Where TextOut draws (not owned); the font's owner points it at the
  // display's drawing surface. Nothing is drawn while it is nullptr.
  TImage* Target = nullptr;
  TGlyphRect Glyphs[256];
  std::string FileName;
  bool ColorKeySet = false;
  uint8_t KeyR = 0;
  uint8_t KeyG = 0;
  uint8_t KeyB = 0;
  int32_t Height = 0;
  int32_t Spacing = 1;
  int32_t SpaceWidth = 10;

 protected:
  void ApplyColorKey();

 private:
  // Left edge after alignment; glyphs are then drawn by draw(x, glyph).
  template <typename TDrawGlyph>
  void Walk(const std::string& s, int x, int align, TDrawGlyph drawGlyph) const;
};

// A fixed-cell raster font (".qxr", magic "QXAR"). A file without the magic
// gives an empty font that draws nothing.
class TQXRFont : public TFont {
 public:
  // Opens the file through the stream opener; raises when it is missing.
  explicit TQXRFont(const std::string& fileName);
  explicit TQXRFont(TStream& stream);
  ~TQXRFont() override;

  // Redraws every glyph cell in the colour.
  void SetColor(uint8_t r, uint8_t g, uint8_t b) override;

  int32_t ColorR = 0;
  int32_t ColorG = 0;
  int32_t ColorB = 0;
  std::unique_ptr<TMemoryStream> GlyphData;
  uint16_t CellWidth = 0;
  uint16_t CellHeight = 0;
  uint16_t LineHeight = 0;
  uint8_t Flags = 0;

 private:
  void Read(TStream& stream);
};

// A proportional font from a TGA picture whose info bytes hold the glyph
// table. A picture without the table gives a black 16 x 16 picture and zero
// rectangles.
class TTGAFont : public TFont {
 public:
  // Adds ".tga" as the picture readers do; raises when the file is missing.
  explicit TTGAFont(const std::string& fileName);
  explicit TTGAFont(TStream& stream);

 private:
  void Read(TStream& stream);
};

// The fonts of the whole game: the raster "npi69.qxr" and the digits "lilnums".
extern std::unique_ptr<TQXRFont> MainFont;
extern std::unique_ptr<TTGAFont> DigitsFont;

}  // namespace zorbin
