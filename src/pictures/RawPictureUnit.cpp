// RawPictureUnit: TRawPicture, the file dispatcher and the picture readers.
#include "pictures/RawPictureUnit.h"

#include "log/Logger.h"
#include "pictures/FastPaletteUnit.h"
#include "pictures/RawPictureReaderFASTUnit.h"
#include "storage/QXStream.h"
#include "util/ByteOrder.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace zorbin {

namespace {

const char* const kReadFileContext = "RawPictureUnit, TRawPicture.ReadFile";
const char* const kBMPContext = "RawPictureUnit, TRawPicture.ReadBMP";
const char* const kCELContext = "RawPictureUnit, TRawPicture.ReadCEL";
const char* const kMIContext = "RawPictureUnit, TRawPicture.ReadMI";
const char* const kMI100Context = "RawPictureUnit, ReadMI100";
const char* const kKEPContext = "RawPictureUnit, TRawPicture.ReadKEP";
const char* const kK16Context = "RawPictureUnit, TRawPicture.ReadK16";
const char* const kGSDContext = "RawPictureUnit, TRawPicture.ReadGSD";

// Extension to reader: key/value pairs, the odd last element is the result
// for anything else.
const char* const kExtensionTable = "BMP,0,CEL,1,MI,2,TGA,3,KEP,4,K16,5,MATOR,6,GSD,7,X";

// A 256-entry colour table, 3 bytes per entry in pixel order (blue, green,
// red). Entries a file does not fill stay black.
using TColourTable = std::array<uint8_t, 768>;

// The TGA reader's messages go to standard output, one line each.
void PrintLine(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string LookupValue(const std::string& table, const std::string& key) {
  std::vector<std::string> parts = SplitString(table, ',');
  size_t i = 0;
  for (; i + 1 < parts.size(); i += 2)
    if (SameText(parts[i], key)) return parts[i + 1];
  return i < parts.size() ? parts[i] : std::string();
}

std::unique_ptr<TStream> OpenPicture(const std::string& name) {
  if (!StreamOpener) throw std::runtime_error("OpenStream failed: " + name);
  return StreamOpener->OpenStream(name);
}

// Sides within kMaxSide and pixels within kMaxDataBytes; a picture whose
// file has no pixels to decode (pixelData false) within kMaxUndecodedBytes.
bool SizeAllowed(int64_t width, int64_t height, bool pixelData = true) {
  const uint64_t limit = pixelData ? TRawPicture::kMaxDataBytes : TRawPicture::kMaxUndecodedBytes;
  return width >= 0 && height >= 0 && width <= TRawPicture::kMaxSide && height <= TRawPicture::kMaxSide &&
         uint64_t(width) * uint64_t(height) * 3 <= limit;
}

// A file too short for the pixel data its header announces fails with the
// stream-read error reading it would meet, but before the pixel buffer is
// allocated.
void RequireBytes(TStream& stream, uint64_t needed) {
  int64_t remaining = stream.Remaining();
  if (needed > 0 && (remaining < 0 || uint64_t(remaining) < needed)) throw EStreamError("Stream read error");
}

// The fewest bytes a run-length stream of that many pixels can take: a
// packet covers at most 128 pixels and costs a header and one pixel.
uint64_t MinRunLengthBytes(uint64_t pixels, uint64_t pixelBytes) { return (pixels + 127) / 128 * (1 + pixelBytes); }

void Put565(uint16_t v, uint8_t* out) {
  out[0] = uint8_t((v & 0x1F) << 3);
  out[1] = uint8_t(((v >> 5) & 0x3F) << 2);
  out[2] = uint8_t(((v >> 11) & 0x1F) << 3);
}

void Put1555(uint16_t v, uint8_t* out) {
  out[0] = uint8_t((v & 0x1F) << 3);
  out[1] = uint8_t(((v >> 5) & 0x1F) << 3);
  out[2] = uint8_t(((v >> 10) & 0x1F) << 3);
}

TColourTable GreyTable() {
  TColourTable t{};
  for (size_t i = 0; i < 256; ++i) t[i * 3] = t[i * 3 + 1] = t[i * 3 + 2] = uint8_t(i);
  return t;
}

// Reads Height rows of rowBytes bytes each; convert(row, out) fills one
// picture row. bottomUp: the first row read is the picture's last.
template <typename Convert>
void ReadRows(TStream& stream, TRawPicture& picture, size_t rowBytes, bool bottomUp, Convert convert) {
  // A side of 0: no pixels, and rows of 0 bytes.
  if (picture.Data.empty()) return;
  std::vector<uint8_t> row(rowBytes);
  const size_t outBytes = size_t(picture.Width) * 3;
  for (int32_t r = 0; r < picture.Height; ++r) {
    stream.ReadBuffer(row.data(), rowBytes);
    int32_t y = bottomUp ? picture.Height - 1 - r : r;
    convert(row.data(), picture.Data.data() + size_t(y) * outBytes);
  }
}

void ReadIndexedRows(TStream& stream, TRawPicture& picture, const TColourTable& table, bool bottomUp) {
  const int32_t width = picture.Width;
  ReadRows(stream, picture, size_t(width), bottomUp, [&](const uint8_t* row, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) std::memcpy(out + size_t(x) * 3, &table[size_t(row[x]) * 3], 3);
  });
}

// The TGA colour map: entries of 3 bytes (blue, green, red). Entries past
// the 256 a byte index can reach are read and dropped.
TColourTable ReadColourMap(TStream& stream, uint16_t length) {
  std::vector<uint8_t> map(size_t(length) * 3);
  stream.ReadBuffer(map.data(), map.size());
  TColourTable table{};
  std::copy_n(map.begin(), std::min(map.size(), table.size()), table.begin());
  return table;
}

// Run-length packets of one byte per pixel (TGA types 9 and 11); each byte
// is looked up in table. Packets may run across row ends; pixels past the
// last row are read and dropped.
void ReadRunLength8(TStream& stream, TRawPicture& picture, const TColourTable& table, bool topDown) {
  // Without pixels no packet has a place to go.
  if (picture.Data.empty()) return;
  const int32_t width = picture.Width;
  const int32_t height = picture.Height;
  int32_t rowsDone = 0;
  int32_t row = topDown ? 0 : height - 1;
  int32_t column = 0;
  auto put = [&](uint8_t v) {
    if (rowsDone >= height) return;
    std::memcpy(picture.Data.data() + (size_t(row) * size_t(width) + size_t(column)) * 3, &table[size_t(v) * 3], 3);
    if (++column == width) {
      column = 0;
      ++rowsDone;
      row += topDown ? 1 : -1;
    }
  };
  uint8_t literal[128];
  while (rowsDone < height) {
    uint8_t header = stream.ReadByte();
    int count = (header & 0x7F) + 1;
    if (header & 0x80) {
      uint8_t v = stream.ReadByte();
      for (int i = 0; i < count; ++i) put(v);
    } else {
      stream.ReadBuffer(literal, size_t(count));
      for (int i = 0; i < count; ++i) put(literal[i]);
    }
  }
}

}  // namespace

std::string AddDefaultExtension(const std::string& name, const std::string& ext) {
  size_t dot = name.find('.');
  if (dot != std::string::npos && dot != 0) return name;
  std::string bare = !ext.empty() && ext[0] == '.' ? ext.substr(1) : ext;
  if (EndsText(bare, name)) return name;
  return name + ext;
}

TRawPicture::TRawPicture(int32_t width, int32_t height) { SetSize(width, height); }

bool operator==(const TPixelBytes& a, const std::vector<uint8_t>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// A side of 0 keeps the other: a TGA file of 5 x 0 is a picture 5 wide
// without pixels, and only a width of 0 makes loading it fail.
void TRawPicture::SetSize(int32_t width, int32_t height) {
  Width = std::max(width, 0);
  Height = std::max(height, 0);
  Data.assign(size_t(Width) * size_t(Height) * 3, 0);
}

void TRawPicture::SetSizeUncleared(int32_t width, int32_t height) {
  Width = std::max(width, 0);
  Height = std::max(height, 0);
  Data.clear();
  Data.resize(size_t(Width) * size_t(Height) * 3);
}

void TRawPicture::Clear() {
  Width = Height = 0;
  Data.clear();
  Data.shrink_to_fit();
  InfoKind = 0;
  Info.clear();
}

uint8_t TRawPicture::GetInfoByte(int index) const {
  if (index < 0 || size_t(index) >= Info.size()) return 0;
  return Info[size_t(index)];
}

int32_t TRawPicture::FrameCount() const { return GetInfoByte(0) + (GetInfoByte(1) & 0x0F) * 256; }

void TRawPicture::ReadFile(const std::string& name) {
  std::string base = name;
  if (base.size() > 3 && UpperCase(base.substr(base.size() - 3)) == ".ZL") base.resize(base.size() - 3);
  size_t dot = base.rfind('.');
  std::string ext = dot == std::string::npos ? std::string() : UpperCase(base.substr(dot + 1));
  std::string reader = LookupValue(kExtensionTable, ext);
  switch (reader.empty() ? ' ' : reader[0]) {
    case '0': ReadBMP(name); break;
    case '1': ReadCEL(name); break;
    case '2': ReadMI(name); break;
    case '3': ReadTGA(name); break;
    case '4': ReadKEP(name); break;
    case '5': ReadK16(name); break;
    case '7': ReadGSD(name); break;
    default: Log->Error("Unknown file extension! (" + ext + ")", kReadFileContext); break;
  }
}

void TRawPicture::ReadTGA(const std::string& name) { ReadTGAStream(*OpenPicture(AddDefaultExtension(name, ".tga"))); }
void TRawPicture::ReadBMP(const std::string& name) { ReadBMPStream(*OpenPicture(AddDefaultExtension(name, ".bmp"))); }
void TRawPicture::ReadCEL(const std::string& name) { ReadCELStream(*OpenPicture(AddDefaultExtension(name, ".cel"))); }
void TRawPicture::ReadMI(const std::string& name) { ReadMIStream(*OpenPicture(AddDefaultExtension(name, ".mi"))); }
void TRawPicture::ReadKEP(const std::string& name) { ReadKEPStream(*OpenPicture(AddDefaultExtension(name, ".kep"))); }
void TRawPicture::ReadK16(const std::string& name) { ReadK16Stream(*OpenPicture(AddDefaultExtension(name, ".k16"))); }
void TRawPicture::ReadGSD(const std::string& name) { ReadGSDStream(*OpenPicture(AddDefaultExtension(name, ".gsd"))); }

// ---------------------------------------------------------------- TGA

namespace {

// The fields of the 18-byte TGA header that the reader uses.
struct TTGAHeader {
  uint8_t IdLength = 0;
  uint8_t ImageType = 0;
  uint16_t MapLength = 0;
  uint16_t OriginX = 0;
  uint16_t OriginY = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t Depth = 0;
  uint8_t Descriptor = 0;

  bool TopDown() const { return (Descriptor & 0x20) != 0; }
  uint8_t AttributeBits() const { return Descriptor & 0x0F; }
};

TTGAHeader ReadTGAHeader(TStream& stream) {
  uint8_t bytes[18];
  stream.ReadBuffer(bytes, sizeof bytes);
  TTGAHeader h;
  h.IdLength = bytes[0];
  h.ImageType = bytes[2];
  h.MapLength = LoadLE16(bytes + 5);
  h.OriginX = LoadLE16(bytes + 8);
  h.OriginY = LoadLE16(bytes + 10);
  h.Width = LoadLE16(bytes + 12);
  h.Height = LoadLE16(bytes + 14);
  h.Depth = bytes[16];
  h.Descriptor = bytes[17];
  return h;
}

// What an image ID of that length holds (see TRawPicture::InfoKind).
int32_t InfoKindOf(uint8_t idLength) {
  switch (idLength) {
    case 0: return 0;
    case 2: return 1;
    case 16: return 2;
    case 32: return 3;
    default: return 255;
  }
}

// The fewest bytes the pixel data of the header's type can take; 0 where
// the reader decodes no pixels.
uint64_t TGAPixelBytes(const TTGAHeader& h) {
  const uint64_t pixels = uint64_t(h.Width) * h.Height;
  const uint64_t mapBytes = uint64_t(h.MapLength) * 3;
  switch (h.ImageType) {
    case 1: return mapBytes + pixels;
    case 2:
      if (h.Depth == 24 || h.Depth == 32 || (h.Depth == 16 && h.AttributeBits() <= 1)) return pixels * (h.Depth / 8);
      return 0;
    case 3: return h.Depth == 8 ? pixels : 0;
    case 9: return mapBytes + MinRunLengthBytes(pixels, 1);
    case 10: return MinRunLengthBytes(pixels, 3);
    case 11: return MinRunLengthBytes(pixels, 1);
    default: return 0;
  }
}

// Type 2. False where the depth or descriptor stops the reader.
bool ReadTGATrueColour(TStream& stream, TRawPicture& picture, const TTGAHeader& h) {
  if (h.OriginX != 0 || h.OriginY != 0) PrintLine("RTGA: Ignoring Origin settings!");
  const int32_t w = picture.Width;
  const bool bottomUp = !h.TopDown();
  switch (h.Depth) {
    case 24:
      ReadRows(stream, picture, size_t(w) * 3, bottomUp,
               [&](const uint8_t* row, uint8_t* out) { std::memcpy(out, row, size_t(w) * 3); });
      return true;
    case 32:
      ReadRows(stream, picture, size_t(w) * 4, bottomUp, [&](const uint8_t* row, uint8_t* out) {
        for (int32_t x = 0; x < w; ++x) std::memcpy(out + size_t(x) * 3, row + size_t(x) * 4, 3);
      });
      return true;
    case 16: {
      if (h.AttributeBits() > 1) {
        PrintLine("RTGA: Illegal Image Descriptor Byte!");
        return false;
      }
      auto put = h.AttributeBits() == 1 ? Put1555 : Put565;
      ReadRows(stream, picture, size_t(w) * 2, bottomUp, [&](const uint8_t* row, uint8_t* out) {
        for (int32_t x = 0; x < w; ++x) put(LoadLE16(row + size_t(x) * 2), out + size_t(x) * 3);
      });
      return true;
    }
    default: PrintLine("RTGA: Illegal Image Pixel Size!"); return false;
  }
}

// Type 3. False where the depth stops the reader.
bool ReadTGAGrey(TStream& stream, TRawPicture& picture, const TTGAHeader& h) {
  if (h.Depth != 8) {
    PrintLine("Illegal Image Pixel Size!");
    return false;
  }
  ReadIndexedRows(stream, picture, GreyTable(), !h.TopDown());
  return true;
}

void ReadTGARunLength24(TStream& stream, TRawPicture& picture, const TTGAHeader& h) {
  if (h.TopDown())
    ReadRLE24TopDown(stream, picture.Width, picture.Height, picture.Data.data());
  else
    ReadRLE24BottomUp(stream, picture.Width, picture.Height, picture.Data.data());
}

// The pixels of the header's image type into the sized picture. Types that
// are not decoded leave it black with a message; false where the reader
// stops, which also skips the steps that follow the pixels.
bool ReadTGAPixels(TStream& stream, TRawPicture& picture, const TTGAHeader& h) {
  switch (h.ImageType) {
    case 0: PrintLine("RTGA: No image data included in file!"); return true;
    case 1: ReadIndexedRows(stream, picture, ReadColourMap(stream, h.MapLength), !h.TopDown()); return true;
    case 2: return ReadTGATrueColour(stream, picture, h);
    case 3: return ReadTGAGrey(stream, picture, h);
    case 9: ReadRunLength8(stream, picture, ReadColourMap(stream, h.MapLength), h.TopDown()); return true;
    case 10: ReadTGARunLength24(stream, picture, h); return true;
    case 11: ReadRunLength8(stream, picture, GreyTable(), h.TopDown()); return true;
    case 32:
    case 33: PrintLine("RTGA: Compressed images are not supported!"); return true;
    default: PrintLine("RTGA: Unkown image type!"); return true;
  }
}

// A font picture: one 8-byte glyph record per set bit of the 32-byte ID
// follows the pixels and is appended to the info.
void ReadGlyphRecords(TStream& stream, std::vector<uint8_t>& info) {
  if (info.size() != 32) return;
  size_t glyphs = 0;
  for (size_t i = 0; i < 32; ++i) glyphs += size_t(std::popcount(info[i]));
  RequireBytes(stream, 8 * glyphs);
  info.resize(32 + 8 * glyphs);
  stream.ReadBuffer(info.data() + 32, 8 * glyphs);
}

// Long animation info with bit 7 of byte 6: the frames are stored one below
// the other.
bool IsFrameStack(const TRawPicture& picture) {
  return picture.Info.size() == 16 && (picture.Info[6] & 0x80) != 0 && picture.FrameCount() != 0;
}

}  // namespace

void TRawPicture::ReadTGAStream(TStream& stream) {
  const TTGAHeader header = ReadTGAHeader(stream);
  Clear();
  InfoKind = InfoKindOf(header.IdLength);
  Info.resize(header.IdLength);
  stream.ReadBuffer(Info.data(), Info.size());

  const uint64_t needed = TGAPixelBytes(header);
  if (!SizeAllowed(header.Width, header.Height, needed > 0)) {
    PrintLine("RTGA: Image too large!");
    Clear();
    return;
  }
  RequireBytes(stream, needed);
  // The run-length true-colour readers write every pixel (black where a
  // short file ends): their buffer is not cleared first.
  if (header.ImageType == 10)
    SetSizeUncleared(header.Width, header.Height);
  else
    SetSize(header.Width, header.Height);
  if (!ReadTGAPixels(stream, *this, header)) return;
  ReadGlyphRecords(stream, Info);
  if (IsFrameStack(*this)) StackToStrip();
}

// Frames stored one below the other become frames side by side. Rows below
// the last whole frame are dropped; a stack with fewer rows than frames is
// left as it is.
void TRawPicture::StackToStrip() {
  const int32_t frames = FrameCount();
  const int32_t frameHeight = Height / frames;
  if (frameHeight == 0) return;
  const int32_t stripWidth = frames * Width;
  const size_t rowBytes = size_t(Width) * 3;
  const size_t stripRowBytes = size_t(stripWidth) * 3;
  TPixelBytes strip(stripRowBytes * size_t(frameHeight), 0);
  for (int32_t i = 0; i < frames && rowBytes > 0; ++i)
    for (int32_t y = 0; y < frameHeight; ++y)
      std::memcpy(strip.data() + size_t(y) * stripRowBytes + size_t(i) * rowBytes,
                  Data.data() + size_t(i * frameHeight + y) * rowBytes, rowBytes);
  Data.swap(strip);
  Width = stripWidth;
  Height = frameHeight;
}

// ---------------------------------------------------------------- BMP

namespace {

// The fields of the file header and the Windows V3 info header that the
// reader uses.
struct TBMPHeader {
  uint32_t PixelOffset = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t BitCount = 0;
  uint32_t Compression = 0;
  uint32_t ColoursUsed = 0;
};

// False, with a warning, for a file that is not a V3 BMP.
bool ReadBMPHeader(TStream& stream, TBMPHeader& h) {
  uint8_t magic[2];
  stream.ReadBuffer(magic, 2);
  if (magic[0] != 'B' || magic[1] != 'M') {
    Log->Warning("Not a .BMP file!", kBMPContext);
    return false;
  }
  stream.ReadDWord();  // file size
  stream.ReadDWord();  // reserved
  h.PixelOffset = stream.ReadDWord();
  if (stream.ReadDWord() != 40) {
    Log->Warning("Only Windows V3 BMP header supported!", kBMPContext);
    return false;
  }
  h.Width = stream.ReadInt32();
  h.Height = stream.ReadInt32();
  stream.ReadWord();  // planes
  h.BitCount = stream.ReadWord();
  h.Compression = stream.ReadDWord();
  uint8_t unused[12];  // image size, resolutions
  stream.ReadBuffer(unused, sizeof unused);
  h.ColoursUsed = stream.ReadDWord();
  stream.ReadDWord();  // colours important
  return true;
}

// How the pixels are stored: rows of indices or colours, or 8-bit
// run-length pairs.
struct TBMPLayout {
  uint64_t PaletteEntries = 0;
  bool RunLength8 = false;
  bool Rows = false;
  uint64_t RowBytes = 0;
  uint64_t PixelBytes = 0;  // all rows; 0 for run-length data
};

TBMPLayout BMPLayoutOf(const TBMPHeader& h) {
  TBMPLayout l;
  if (h.BitCount == 1) l.PaletteEntries = 2;
  if (h.BitCount == 4) l.PaletteEntries = 16;
  if (h.BitCount == 8) l.PaletteEntries = h.ColoursUsed == 0 ? 256 : h.ColoursUsed;
  l.RunLength8 = h.BitCount == 8 && h.Compression == 1;
  l.Rows = h.BitCount == 1 || h.BitCount == 4 || h.BitCount == 24 || (h.BitCount == 8 && h.Compression == 0);
  l.RowBytes = (uint64_t(h.Width) * h.BitCount + 31) / 32 * 4;
  l.PixelBytes = l.Rows ? l.RowBytes * uint64_t(h.Height) : 0;
  return l;
}

// Rows of pixels must all be in the file (checked when the palette is
// read); a run-length picture can be no larger than its pairs could make,
// 255 pixels each.
bool BMPSizeAllowed(TStream& stream, const TBMPHeader& h, const TBMPLayout& l) {
  if (!SizeAllowed(h.Width, h.Height)) return false;
  const int64_t remaining = stream.Remaining();
  const uint64_t rleBytes = l.PaletteEntries * 4 + (uint64_t(h.Width) * uint64_t(h.Height) + 254) / 255 * 2;
  const bool backed = l.Rows || (l.RunLength8 && remaining >= 0 && uint64_t(remaining) >= rleBytes);
  return SizeAllowed(h.Width, h.Height, backed);
}

// Leaves the stream at the pixels. The palette lies directly behind the
// headers; entries past 256 are read and dropped, indices past the entries
// read give black. 24-bit pixels start at the header's offset.
TColourTable ReadBMPPalette(TStream& stream, int64_t start, const TBMPHeader& h, const TBMPLayout& l) {
  TColourTable table{};
  if (h.BitCount == 24) {
    stream.SetPosition(start + h.PixelOffset);
    RequireBytes(stream, l.PixelBytes);
    return table;
  }
  RequireBytes(stream, l.PaletteEntries * 4 + l.PixelBytes);
  std::vector<uint8_t> palette(size_t(l.PaletteEntries) * 4);
  stream.ReadBuffer(palette.data(), palette.size());
  for (size_t i = 0; i < 256 && i < l.PaletteEntries; ++i) std::memcpy(&table[i * 3], &palette[i * 4], 3);
  return table;
}

void PutIndexed(uint8_t* out, int32_t x, const TColourTable& table, uint8_t index) {
  std::memcpy(out + size_t(x) * 3, &table[size_t(index) * 3], 3);
}

// Rows bottom to top, each padded to 4 bytes.
void ReadBMPRows(TStream& stream, TRawPicture& picture, const TColourTable& table, uint16_t bitCount, size_t rowBytes) {
  const int32_t w = picture.Width;
  if (bitCount == 1) {
    ReadRows(stream, picture, rowBytes, true, [&](const uint8_t* row, uint8_t* out) {
      for (int32_t x = 0; x < w; ++x) PutIndexed(out, x, table, (row[x >> 3] >> (7 - (x & 7))) & 1);
    });
  } else if (bitCount == 4) {
    ReadRows(stream, picture, rowBytes, true, [&](const uint8_t* row, uint8_t* out) {
      for (int32_t x = 0; x < w; ++x) PutIndexed(out, x, table, (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
    });
  } else if (bitCount == 8) {
    ReadRows(stream, picture, rowBytes, true, [&](const uint8_t* row, uint8_t* out) {
      for (int32_t x = 0; x < w; ++x) PutIndexed(out, x, table, row[x]);
    });
  } else if (bitCount == 24) {
    ReadRows(stream, picture, rowBytes, true,
             [&](const uint8_t* row, uint8_t* out) { std::memcpy(out, row, size_t(w) * 3); });
  }
}

// 8-bit run-length pairs. Positions are kept wide so that runs and deltas
// past the edges are simply dropped; y counts picture rows, the file starts
// at the bottom.
void ReadBMPRunLength8(TStream& stream, TRawPicture& picture, const TColourTable& table) {
  int64_t x = 0;
  int64_t y = picture.Height - 1;
  auto put = [&](uint8_t index) {
    if (x >= 0 && x < picture.Width && y >= 0 && y < picture.Height)
      PutIndexed(picture.Data.data() + size_t(y) * size_t(picture.Width) * 3, int32_t(x), table, index);
    ++x;
  };
  uint8_t absolute[256];
  while (y >= 0) {
    uint8_t pair[2];
    stream.ReadBuffer(pair, 2);
    if (pair[0] != 0) {
      for (int i = 0; i < pair[0]; ++i) put(pair[1]);
    } else if (pair[1] == 0) {
      x = 0;
      --y;
    } else if (pair[1] == 1) {
      break;
    } else if (pair[1] == 2) {
      uint8_t delta[2];
      stream.ReadBuffer(delta, 2);
      x += delta[0];
      y -= delta[1];
    } else {
      const size_t count = pair[1];
      stream.ReadBuffer(absolute, count + (count & 1));
      for (size_t i = 0; i < count; ++i) put(absolute[i]);
    }
  }
}

}  // namespace

void TRawPicture::ReadBMPStream(TStream& stream) {
  const int64_t start = stream.Position();
  TBMPHeader header;
  if (!ReadBMPHeader(stream, header)) return;
  const TBMPLayout layout = BMPLayoutOf(header);
  if (!BMPSizeAllowed(stream, header, layout)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(header.Width) + "x" + IntToStr(header.Height) + ")",
                 kBMPContext);
    return;
  }
  const TColourTable table = ReadBMPPalette(stream, start, header, layout);
  Clear();
  SetSize(header.Width, header.Height);
  // Depths without a reader leave the picture black.
  if (layout.Rows)
    ReadBMPRows(stream, *this, table, header.BitCount, size_t(layout.RowBytes));
  else if (layout.RunLength8)
    ReadBMPRunLength8(stream, *this, table);
}

// ---------------------------------------------------------------- CEL

void TRawPicture::ReadCELStream(TStream& stream) {
  if (stream.ReadWord() != 0x9119) {
    Log->Warning("Not a .CEL file!", kCELContext);
    return;
  }
  const uint16_t width = stream.ReadWord();
  const uint16_t height = stream.ReadWord();
  uint8_t unused[26];
  stream.ReadBuffer(unused, sizeof unused);
  if (!SizeAllowed(width, height)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(width) + "x" + IntToStr(height) + ")", kCELContext);
    return;
  }
  RequireBytes(stream, 768 + uint64_t(width) * height);
  uint8_t palette[768];
  stream.ReadBuffer(palette, sizeof palette);
  // 6-bit red, green, blue to 8-bit blue, green, red.
  TColourTable table{};
  for (size_t i = 0; i < 256; ++i) {
    table[i * 3] = uint8_t(palette[i * 3 + 2] << 2);
    table[i * 3 + 1] = uint8_t(palette[i * 3 + 1] << 2);
    table[i * 3 + 2] = uint8_t(palette[i * 3] << 2);
  }
  Clear();
  SetSize(width, height);
  ReadIndexedRows(stream, *this, table, false);
}

// ---------------------------------------------------------------- MI

void TRawPicture::ReadMIStream(TStream& stream) {
  uint8_t magic[2];
  stream.ReadBuffer(magic, 2);
  if (magic[0] != 'M' || magic[1] != 'I') {
    Log->Warning("Not an .MI file!", kMIContext);
    return;
  }
  if (stream.ReadWord() != 256) {
    Log->Warning("Unknown .MI file version!", kMIContext);
    return;
  }
  // Version 1.00 body.
  const uint16_t tag = stream.ReadWord();
  stream.ReadWord();  // not used
  const uint16_t width = stream.ReadWord();
  const uint16_t height = stream.ReadWord();
  const bool grey = tag == LoadLE16("GS");
  const bool rgb24 = tag == LoadLE16("24");
  const bool rgb16 = tag == LoadLE16("16");
  const uint64_t pixelBytes = grey ? 1 : rgb24 ? 3 : rgb16 ? 2 : 0;
  if (!SizeAllowed(width, height, pixelBytes > 0)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(width) + "x" + IntToStr(height) + ")", kMIContext);
    return;
  }
  RequireBytes(stream, pixelBytes * width * height);
  Clear();
  SetSize(width, height);
  const int32_t w = Width;
  if (grey) {
    ReadIndexedRows(stream, *this, GreyTable(), false);
  } else if (rgb24) {
    ReadRows(stream, *this, size_t(w) * 3, false, [&](const uint8_t* row, uint8_t* out) {
      for (int32_t x = 0; x < w; ++x) {
        out[x * 3] = row[x * 3 + 2];
        out[x * 3 + 1] = row[x * 3 + 1];
        out[x * 3 + 2] = row[x * 3];
      }
    });
  } else if (rgb16) {
    ReadRows(stream, *this, size_t(w) * 2, false, [&](const uint8_t* row, uint8_t* out) {
      for (int32_t x = 0; x < w; ++x) Put565(LoadLE16(row + size_t(x) * 2), out + size_t(x) * 3);
    });
  } else {
    Log->Warning("Invalid color depth! (" + IntToHex(tag, 4) + ")", kMI100Context);
  }
}

// ---------------------------------------------------------------- KEP, K16, GSD

void TRawPicture::ReadKEPStream(TStream& stream) {
  const int64_t size = stream.Size();
  int64_t width = stream.ReadWord();
  int64_t height = stream.ReadWord();
  // Some files give the largest coordinates instead of the size.
  if (size == (width + 1) * (height + 1) + 4) {
    ++width;
    ++height;
  }
  if (!SizeAllowed(width, height)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(width) + "x" + IntToStr(height) + ")", kKEPContext);
    return;
  }
  RequireBytes(stream, uint64_t(width * height));
  TColourTable table{};
  for (size_t i = 0; i < 256; ++i) {
    table[i * 3] = CurrentPalette[i * 3 + 2];
    table[i * 3 + 1] = CurrentPalette[i * 3 + 1];
    table[i * 3 + 2] = CurrentPalette[i * 3];
  }
  Clear();
  SetSize(int32_t(width), int32_t(height));
  ReadIndexedRows(stream, *this, table, false);
}

void TRawPicture::ReadK16Stream(TStream& stream) {
  const int64_t width = int64_t(stream.ReadWord()) + 1;
  const int64_t height = int64_t(stream.ReadWord()) + 1;
  if (!SizeAllowed(width, height)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(width) + "x" + IntToStr(height) + ")", kK16Context);
    return;
  }
  RequireBytes(stream, uint64_t(width * height * 2));
  Clear();
  SetSize(int32_t(width), int32_t(height));
  const int32_t w = Width;
  ReadRows(stream, *this, size_t(w) * 2, false, [&](const uint8_t* row, uint8_t* out) {
    for (int32_t x = 0; x < w; ++x) Put565(LoadLE16(row + size_t(x) * 2), out + size_t(x) * 3);
  });
}

void TRawPicture::ReadGSDStream(TStream& stream) {
  const uint16_t width = stream.ReadWord();
  const uint16_t height = stream.ReadWord();
  if (!SizeAllowed(width, height)) {
    Log->Warning("Unsupported picture size! (" + IntToStr(width) + "x" + IntToStr(height) + ")", kGSDContext);
    return;
  }
  RequireBytes(stream, uint64_t(width) * height);
  Clear();
  SetSize(width, height);
  ReadIndexedRows(stream, *this, GreyTable(), false);
}

}  // namespace zorbin
