// AssetCommands: the commands that turn the pack's text sources into game
// files. "tga" writes XPM pixel art as a TGA picture with the game's info
// bytes in the image-ID field (animation strips, vertical frame stacks, glyph
// fonts); "qxr" writes a text glyph source as a ".qxr" raster font.
#include "ToolCommands.h"

#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace zorbin::tool {

namespace {

// Pixels as red, green, blue bytes, rows top to bottom.
struct TPixelArt {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;

  const uint8_t* At(int x, int y) const { return &Rgb[(size_t(y) * size_t(Width) + size_t(x)) * 3]; }
};

// Glyph columns of a font picture are divided by columns painted wholly in
// this colour; they are written black, which the fonts show as transparent.
constexpr uint8_t kSeparator[3] = {0xFF, 0x00, 0xFF};
constexpr int kMaxPictureSide = 65535;  // a TGA side is a 16-bit field

std::string ReadText(const std::string& fileName) {
  TMemoryStream s;
  s.LoadFromFile(fileName);
  return std::string(s.Data().begin(), s.Data().end());
}

void WriteBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::filesystem::path dir = std::filesystem::path(fileName).parent_path();
  if (!dir.empty()) std::filesystem::create_directories(dir);
  TMemoryStream s(bytes);
  s.SaveToFile(fileName);
}

// The quoted strings of an XPM file, in order; C comments are skipped.
std::vector<std::string> XpmStrings(const std::string& text) {
  std::vector<std::string> strings;
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "/*") == 0) {
      size_t end = text.find("*/", i + 2);
      if (end == std::string::npos) throw std::runtime_error("XPM: unclosed comment");
      i = end + 2;
    } else if (text[i] == '"') {
      std::string s;
      ++i;
      while (i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        s += text[i++];
      }
      if (i >= text.size()) throw std::runtime_error("XPM: unclosed string");
      ++i;
      strings.push_back(s);
    } else {
      ++i;
    }
  }
  return strings;
}

// "#RGB", "#RRGGBB", "#RRRRGGGGBBBB", "None" (black, the transparent colour)
// and the names black and white.
std::array<uint8_t, 3> XpmColor(const std::string& text) {
  if (SameText(text, "None") || SameText(text, "black")) return {0, 0, 0};
  if (SameText(text, "white")) return {255, 255, 255};
  if (text.size() < 2 || text[0] != '#') throw std::runtime_error("XPM: unsupported colour '" + text + "'");
  std::string hex = text.substr(1);
  size_t digits = hex.size() / 3;
  if (hex.size() % 3 != 0 || (digits != 1 && digits != 2 && digits != 4))
    throw std::runtime_error("XPM: unsupported colour '" + text + "'");
  std::array<uint8_t, 3> rgb{};
  for (size_t c = 0; c < 3; ++c) {
    std::string part = hex.substr(c * digits, digits);
    if (part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      throw std::runtime_error("XPM: unsupported colour '" + text + "'");
    unsigned v = unsigned(std::stoul(part, nullptr, 16));
    rgb[c] = uint8_t(digits == 1 ? v * 17 : digits == 4 ? v >> 8 : v);
  }
  return rgb;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  for (const std::string& w : SplitString(s, ' '))
    if (!w.empty()) words.push_back(w);
  return words;
}

TPixelArt ReadXpm(const std::string& fileName) {
  std::vector<std::string> strings = XpmStrings(ReadText(fileName));
  if (strings.empty()) throw std::runtime_error("XPM: no values line in " + fileName);
  std::vector<std::string> values = Words(strings[0]);
  int32_t w = 0, h = 0, colors = 0, cpp = 0;
  if (values.size() < 4 || !TryStrToInt(values[0], w) || !TryStrToInt(values[1], h) ||
      !TryStrToInt(values[2], colors) || !TryStrToInt(values[3], cpp))
    throw std::runtime_error("XPM: bad values line in " + fileName);
  if (w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide || colors < 1 || cpp < 1 || cpp > 4)
    throw std::runtime_error("XPM: unsupported size or colours in " + fileName);
  if (strings.size() != size_t(1 + colors + h))
    throw std::runtime_error("XPM: expected " + IntToStr(1 + colors + h) + " strings in " + fileName);

  std::map<std::string, std::array<uint8_t, 3>> palette;
  for (int32_t i = 0; i < colors; ++i) {
    const std::string& line = strings[size_t(1 + i)];
    if (line.size() < size_t(cpp)) throw std::runtime_error("XPM: short colour line in " + fileName);
    std::vector<std::string> keys = Words(line.substr(size_t(cpp)));
    auto c = std::find(keys.begin(), keys.end(), "c");
    if (c == keys.end() || c + 1 == keys.end())
      throw std::runtime_error("XPM: colour line without a 'c' colour in " + fileName);
    palette[line.substr(0, size_t(cpp))] = XpmColor(*(c + 1));
  }

  TPixelArt art;
  art.Width = w;
  art.Height = h;
  // No room is reserved up front: the rows are checked one by one, so a
  // header that promises more than the file holds allocates nothing.
  for (int32_t y = 0; y < h; ++y) {
    const std::string& row = strings[size_t(1 + colors + y)];
    if (row.size() != size_t(w) * size_t(cpp))
      throw std::runtime_error("XPM: row " + IntToStr(y) + " has the wrong length in " + fileName);
    for (int32_t x = 0; x < w; ++x) {
      auto it = palette.find(row.substr(size_t(x) * size_t(cpp), size_t(cpp)));
      if (it == palette.end())
        throw std::runtime_error("XPM: undefined pixel in row " + IntToStr(y) + " of " + fileName);
      art.Rgb.insert(art.Rgb.end(), it->second.begin(), it->second.end());
    }
  }
  return art;
}

// Hex digits, two per byte; '-', ':' and ',' may separate them.
std::vector<uint8_t> ParseHexBytes(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c != '-' && c != ':' && c != ',') digits += c;
  if (digits.size() % 2 != 0 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw std::runtime_error("--id wants hexadecimal bytes, got '" + text + "'");
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < digits.size(); i += 2) bytes.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
  if (bytes.size() > 255) throw std::runtime_error("--id holds more than 255 bytes");
  return bytes;
}

// A glyph font picture: the separator columns become black; each run of other
// columns is the next character's glyph, as tall as the picture.
struct TGlyph {
  uint8_t Code;
  uint16_t Left, Right;
};

std::vector<TGlyph> CutGlyphs(TPixelArt& art, const std::string& chars) {
  auto separatorColumn = [&](int x) {
    for (int y = 0; y < art.Height; ++y)
      if (!std::equal(kSeparator, kSeparator + 3, art.At(x, y))) return false;
    return true;
  };
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < art.Width;) {
    if (separatorColumn(x)) {
      for (int y = 0; y < art.Height; ++y) std::fill_n(&art.Rgb[(size_t(y) * size_t(art.Width) + size_t(x)) * 3], 3, 0);
      ++x;
      continue;
    }
    int left = x;
    while (x < art.Width && !separatorColumn(x)) ++x;
    runs.push_back({left, x - 1});
  }
  if (runs.size() != chars.size())
    throw std::runtime_error("the picture holds " + IntToStr(int64_t(runs.size())) + " glyphs, the glyph list names " +
                             IntToStr(int64_t(chars.size())));
  std::vector<TGlyph> glyphs;
  for (size_t i = 0; i < runs.size(); ++i)
    glyphs.push_back({uint8_t(chars[i]), uint16_t(runs[i].first), uint16_t(runs[i].second)});
  std::sort(glyphs.begin(), glyphs.end(), [](const TGlyph& a, const TGlyph& b) { return a.Code < b.Code; });
  for (size_t i = 1; i < glyphs.size(); ++i)
    if (glyphs[i].Code == glyphs[i - 1].Code)
      throw std::runtime_error("the glyph list names character code " + IntToStr(glyphs[i].Code) + " twice");
  return glyphs;
}

void PutWord(std::vector<uint8_t>& out, unsigned v) {
  out.resize(out.size() + 2);
  StoreLE16(&out[out.size() - 2], uint16_t(v));
}

// Uncompressed true-colour TGA, 24 bits, rows stored top to bottom.
std::vector<uint8_t> TgaBytes(const TPixelArt& art, const std::vector<uint8_t>& id, const std::vector<TGlyph>& glyphs) {
  std::vector<uint8_t> out;
  out.push_back(uint8_t(id.size()));
  out.push_back(0);                              // no colour map
  out.push_back(2);                              // true colour
  for (int i = 0; i < 5; ++i) out.push_back(0);  // colour-map fields
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, unsigned(art.Width));
  PutWord(out, unsigned(art.Height));
  out.push_back(24);
  out.push_back(0x20);  // top-left origin
  out.insert(out.end(), id.begin(), id.end());
  for (size_t p = 0; p < art.Rgb.size(); p += 3) {
    out.push_back(art.Rgb[p + 2]);
    out.push_back(art.Rgb[p + 1]);
    out.push_back(art.Rgb[p]);
  }
  for (const TGlyph& g : glyphs) {
    PutWord(out, g.Left);
    PutWord(out, 0);
    PutWord(out, g.Right);
    PutWord(out, unsigned(art.Height - 1));
  }
  return out;
}

// A horizontal strip of n frames becomes n frames stacked top to bottom.
TPixelArt StackFrames(const TPixelArt& art, int n) {
  if (art.Width % n != 0)
    throw std::runtime_error("a width of " + IntToStr(art.Width) + " does not split into " + IntToStr(n) + " frames");
  int fw = art.Width / n;
  if (int64_t(art.Height) * n > kMaxPictureSide) throw std::runtime_error("the frame stack would be too tall");
  TPixelArt out;
  out.Width = fw;
  out.Height = art.Height * n;
  out.Rgb.reserve(art.Rgb.size());
  for (int f = 0; f < n; ++f)
    for (int y = 0; y < art.Height; ++y) {
      const uint8_t* row = art.At(f * fw, y);
      out.Rgb.insert(out.Rgb.end(), row, row + size_t(fw) * 3);
    }
  return out;
}

std::string GlyphChars(const std::string& fileName) {
  std::string chars;
  for (char c : ReadText(fileName))
    if (c != ' ' && c != '\r' && c != '\n' && c != '\t') chars += c;
  return chars;
}

// Raster font source: "width W", "height H", "flags F", then per character
// "glyph CODE" followed by H rows of W pixels ('#' or 'x' ink, '.' blank).
// Lines starting with '#' before a glyph's rows are comments.
struct TRasterSource {
  int Width = 0, Height = 0, Flags = 0;
  std::map<int, std::vector<std::string>> Glyphs;
};

TRasterSource ReadRasterSource(const std::string& fileName) {
  TMemoryStream s;
  s.LoadFromFile(fileName);
  TRasterSource src;
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) { throw std::runtime_error(fileName + ":" + IntToStr(lineNo) + ": " + why); };
  std::vector<std::string>* rows = nullptr;
  while (ReadLine(s, line)) {
    ++lineNo;
    if (rows && int(rows->size()) < src.Height) {
      if (int(line.size()) != src.Width || line.find_first_not_of(".#x") != std::string::npos)
        fail("a glyph row must hold " + IntToStr(src.Width) + " of '.', '#' or 'x'");
      rows->push_back(line);
      continue;
    }
    std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    int32_t v = 0;
    if (words.size() < 2 || !TryStrToInt(words[1], v)) fail("expected a keyword and a number");
    if (words[0] == "width" || words[0] == "height") {
      if (v < 1 || v > 255) fail("cell sizes run from 1 to 255");
      (words[0] == "width" ? src.Width : src.Height) = v;
    } else if (words[0] == "flags") {
      if (v < 0 || v > 3) fail("flags run from 0 to 3");
      src.Flags = v;
    } else if (words[0] == "glyph") {
      if (src.Width == 0 || src.Height == 0) fail("width and height come before the first glyph");
      if (v < 0 || v > 255) fail("character codes run from 0 to 255");
      if (src.Glyphs.count(v)) fail("character code " + IntToStr(v) + " is given twice");
      rows = &src.Glyphs[v];
    } else {
      fail("unknown keyword '" + words[0] + "'");
    }
  }
  if (src.Width == 0 || src.Height == 0) fail("width and height are missing");
  if (rows && int(rows->size()) < src.Height) fail("the last glyph is missing rows");
  return src;
}

// Each row is (W - 1) div 8 + 1 bytes holding the W pixels right-aligned,
// most significant byte first: the leftmost pixel is bit W - 1 of the row.
std::vector<uint8_t> QxrBytes(const TRasterSource& src) {
  std::vector<uint8_t> out = {'Q', 'X', 'A', 'R', uint8_t(src.Flags), uint8_t(src.Width), uint8_t(src.Height)};
  bool sparse = (src.Flags & 2) != 0;
  if (sparse) {
    std::array<uint8_t, 32> present{};
    for (const auto& [code, rows] : src.Glyphs) present[size_t(code) / 8] |= uint8_t(0x80 >> (code % 8));
    out.insert(out.end(), present.begin(), present.end());
  }
  size_t rowBytes = size_t(src.Width - 1) / 8 + 1;
  for (int code = 0; code < 256; ++code) {
    auto it = src.Glyphs.find(code);
    if (it == src.Glyphs.end() && sparse) continue;
    for (int y = 0; y < src.Height; ++y) {
      std::vector<uint8_t> row(rowBytes, 0);
      if (it != src.Glyphs.end())
        for (int x = 0; x < src.Width; ++x)
          if (it->second[size_t(y)][size_t(x)] != '.') {
            size_t bit = size_t(src.Width - 1 - x);
            row[rowBytes - 1 - bit / 8] |= uint8_t(1u << (bit % 8));
          }
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  return out;
}

}  // namespace

int TgaCommand(const TArgs& args) {
  if (args.size() < 2) return Fail("usage: tga XPM OUT [--id HEXBYTES] [--vstack] [--glyphs FILE]");
  std::vector<uint8_t> id;
  bool haveId = false, vstack = false;
  std::string glyphFile;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--id" && i + 1 < args.size()) {
      id = ParseHexBytes(args[++i]);
      haveId = true;
    } else if (args[i] == "--vstack") {
      vstack = true;
    } else if (args[i] == "--glyphs" && i + 1 < args.size()) {
      glyphFile = args[++i];
    } else {
      return Fail("tga: unknown option '" + args[i] + "'");
    }
  }
  if (!glyphFile.empty() && (haveId || vstack)) return Fail("tga: --glyphs makes its own image-ID field");
  if (vstack) {
    if (id.size() != 16) return Fail("tga: --vstack needs a 16-byte --id");
    id[6] |= 0x80;
  }

  TPixelArt art = ReadXpm(args[0]);
  std::vector<TGlyph> glyphs;
  if (!glyphFile.empty()) {
    glyphs = CutGlyphs(art, GlyphChars(glyphFile));
    id.assign(32, 0);
    for (const TGlyph& g : glyphs) id[g.Code / 8] |= uint8_t(0x80 >> (g.Code % 8));
  }
  // The reader turns a 16-byte ID with bit 7 of byte 6 back into a strip.
  int frames = id.size() >= 2 ? LoadLE16(id.data()) & 0x0FFF : 0;
  if (id.size() == 16 && (id[6] & 0x80) && frames > 0) art = StackFrames(art, frames);
  WriteBytes(args[1], TgaBytes(art, id, glyphs));
  return 0;
}

int QxrCommand(const TArgs& args) {
  if (args.size() != 2) return Fail("usage: qxr SOURCE OUT");
  WriteBytes(args[1], QxrBytes(ReadRasterSource(args[0])));
  return 0;
}

}  // namespace zorbin::tool
