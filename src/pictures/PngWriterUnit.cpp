// PngWriterUnit: PNG and BMP output of surfaces.
#include "pictures/PngWriterUnit.h"

#include "util/ByteOrder.h"
#include "util/QXToolbox.h"

#include <zlib.h>

#include <cstdio>

namespace zorbin {

// A surface pixel of 1 to 4 bytes as SDL_GetRGB takes it.
static uint32_t PixelValue(const uint8_t* p, int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1: return p[0];
    case 2: return LoadLE16(p);
    case 3: return LoadLE24(p);
    case 4: return LoadLE32(p);
    default: return 0;
  }
}

std::vector<uint8_t> SurfaceToRGB(SDL_Surface* surface) {
  std::vector<uint8_t> rgb;
  if (!surface) return rgb;
  rgb.reserve(size_t(surface->w) * size_t(surface->h) * 3);
  bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
  int bpp = surface->format->BytesPerPixel;
  for (int y = 0; y < surface->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      const uint32_t v = PixelValue(row + x * bpp, bpp);
      uint8_t r, g, b;
      SDL_GetRGB(v, surface->format, &r, &g, &b);
      rgb.push_back(r);
      rgb.push_back(g);
      rgb.push_back(b);
    }
  }
  if (locked) SDL_UnlockSurface(surface);
  return rgb;
}

static void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.resize(out.size() + 4);
  StoreBE32(&out[out.size() - 4], v);
}

void AppendPNGChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, uint32_t(data.size()));
  size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, out.data() + typeAt, uInt(out.size() - typeAt));
  PutBE32(out, uint32_t(crc));
}

std::vector<uint8_t> PNGStart(int width, int height, bool alpha) {
  std::vector<uint8_t> out(kPNGSignature, kPNGSignature + 8);
  std::vector<uint8_t> header;
  PutBE32(header, uint32_t(width));
  PutBE32(header, uint32_t(height));
  // 8 bits, RGB or RGBA, deflate, the one filter method, no interlace
  header.insert(header.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
  AppendPNGChunk(out, "IHDR", header);
  return out;
}

std::vector<uint8_t> DeflateRows(const uint8_t* first, size_t rowBytes, int rows, size_t stride, int level) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(rows) * (rowBytes + 1));
  for (int y = 0; y < rows; ++y) {
    raw.push_back(0);  // row filter: none
    const uint8_t* row = first + size_t(y) * stride;
    raw.insert(raw.end(), row, row + rowBytes);
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), level);
  packed.resize(packedSize);
  return packed;
}

std::vector<uint8_t> EncodePNG(int width, int height, const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> out = PNGStart(width, height, false);
  AppendPNGChunk(out, "IDAT", DeflateRows(rgb.data(), size_t(width) * 3, height, size_t(width) * 3, 6));
  AppendPNGChunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> ScaleRGB(int width, int height, const std::vector<uint8_t>& rgb, int factor) {
  std::vector<uint8_t> out;
  out.reserve(size_t(width) * size_t(height) * 3u * size_t(factor) * size_t(factor));
  for (int y = 0; y < height * factor; ++y) {
    const uint8_t* row = rgb.data() + size_t(y / factor) * size_t(width) * 3u;
    for (int x = 0; x < width * factor; ++x) out.insert(out.end(), row + (x / factor) * 3, row + (x / factor) * 3 + 3);
  }
  return out;
}

bool SaveSurfaceFile(SDL_Surface* surface, const std::string& fileName, int scale) {
  // Neither format holds a picture without rows or columns: a file claiming
  // one would be refused by every reader.
  if (!surface || surface->w <= 0 || surface->h <= 0) return false;
  if (EndsText(".bmp", fileName)) return SDL_SaveBMP(surface, fileName.c_str()) == 0;
  std::vector<uint8_t> rgb = SurfaceToRGB(surface);
  if (scale > 1) rgb = ScaleRGB(surface->w, surface->h, rgb, scale);
  std::vector<uint8_t> png = EncodePNG(surface->w * scale, surface->h * scale, rgb);
  std::FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace zorbin
