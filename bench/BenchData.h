// BenchData: the sample data the benchmark programs share, made the way the
// game's own data looks: 24-bit game art (a black colour-keyed background,
// a sky gradient, flat tiles with a few shades, textured tiles with noise),
// object-file text, and TGA files built from that art.
#pragma once

#include "util/QXToolbox.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zorbin::bench {

using Bytes = std::vector<uint8_t>;

// width x height pixels, blue green red, rows top to bottom. The top quarter
// is a sky whose colour changes every few rows (whole rows of one colour)
// with a few stars; below it 16 x 16 cells are empty (black), bricks in
// three shades with mortar lines, textured (a base colour with noise) or a
// diagonal gradient.
inline Bytes GamePixels(int width, int height, uint32_t seed) {
  RandSeed(seed);
  Bytes out(size_t(width) * size_t(height) * 3);
  std::vector<int> kinds;
  const int cellsX = (width + 15) / 16;
  for (int i = 0; i < cellsX * ((height + 15) / 16); ++i) {
    int r = Random(10);
    kinds.push_back(r < 4 ? 0 : r < 7 ? 1 : r < 9 ? 2 : 3);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = out.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
      uint8_t b = 0, g = 0, r = 0;
      if (y < height / 4) {
        b = uint8_t(160 - y / 4 * 2);
        g = uint8_t(60 + y / 4);
        r = uint8_t(20 + y / 8);
        if (Random(200) == 0) b = g = r = 250;
      } else {
        const int kind = kinds[size_t((y / 16) * cellsX + x / 16)];
        const int cx = x % 16, cy = y % 16;
        switch (kind) {
          case 1:
            if (cy % 8 == 7 || (cx + (cy / 8) * 8) % 16 == 15) {
              b = g = r = 40;
            } else {
              const int shade = cy % 8 < 2 ? 30 : 0;
              b = uint8_t(30 + shade);
              g = uint8_t(50 + shade);
              r = uint8_t(140 + shade);
            }
            break;
          case 2: {
            const int noise = Random(24);
            b = uint8_t(20 + noise);
            g = uint8_t(90 + noise);
            r = uint8_t(40 + noise / 2);
            break;
          }
          case 3:
            b = uint8_t((cx + cy) * 8);
            g = uint8_t(cy * 12);
            r = uint8_t(200 - cx * 6);
            break;
          default: break;
        }
      }
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  return out;
}

// About size bytes of object-file text, as the maps' "objects.ini" files
// read.
inline Bytes ObjectText(size_t size, uint32_t seed) {
  RandSeed(seed);
  static const char* const kTypes[] = {"LinearMover", "PathMover", "Runner", "Volcano", "Bridge", "Boxes"};
  static const char* const kImages[] = {"..\\common\\lift.tga", "mover.tga", "..\\common\\box.tga[1]", "crater.tga",
                                        "bird.tga[0..3]"};
  std::string s = "[*Objects]\r\n";
  for (int i = 0; s.size() < size; ++i) {
    s += "[Object" + IntToStr(i) + "]\r\nType=" + kTypes[Random(6)] + "\r\nImage=" + kImages[Random(5)] +
         "\r\nPositionX=" + IntToStr(Random(32) * 16) + "\r\nPositionY=" + IntToStr(Random(22) * 16) +
         "\r\nSpeedX=" + IntToStr(Random(9) - 4) + "\r\nLooped=" + (Random(2) ? "true" : "false") + "\r\n\r\n";
  }
  s.resize(size);
  return Bytes(s.begin(), s.end());
}

// A TGA file of body bytes behind its 18-byte header (24-bit pixels) and
// ID field; the body is left zero.
inline Bytes TgaFile(uint8_t type, int width, int height, uint8_t descriptor, const Bytes& id, size_t body) {
  const uint8_t header[18] = {uint8_t(id.size()),
                              0,
                              type,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              uint8_t(width),
                              uint8_t(width >> 8),
                              uint8_t(height),
                              uint8_t(height >> 8),
                              24,
                              descriptor};
  Bytes out(sizeof header + id.size() + body);
  std::memcpy(out.data(), header, sizeof header);
  if (!id.empty()) std::memcpy(out.data() + sizeof header, id.data(), id.size());
  return out;
}

// A type-2 file of the pixels (rows top to bottom).
inline Bytes TrueColourTga(const Bytes& pixels, int width, int height, const Bytes& id = {}) {
  Bytes out = TgaFile(2, width, height, 0x20, id, pixels.size());
  std::memcpy(out.data() + out.size() - pixels.size(), pixels.data(), pixels.size());
  return out;
}

// A type-10 file of the pixels (rows top to bottom) with run-length packets
// that never cross a row end, as the format asks, written top-down or
// bottom-up, with an optional ID field.
inline Bytes RunLengthTga(const Bytes& pixels, int width, int height, bool bottomUp, const Bytes& id = {}) {
  // Packets cost at most one header byte per pixel more than the pixels.
  Bytes out = TgaFile(10, width, height, bottomUp ? 0x00 : 0x20, id, pixels.size() / 3 * 4);
  size_t at = 18 + id.size();
  auto put = [&](const uint8_t* from, size_t count) {
    std::memcpy(out.data() + at, from, count);
    at += count;
  };
  for (int r = 0; r < height; ++r) {
    const uint8_t* row = pixels.data() + size_t(bottomUp ? height - 1 - r : r) * size_t(width) * 3;
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 128 && std::memcmp(row + x * 3, row + (x + run) * 3, 3) == 0) ++run;
      if (run > 1) {
        out[at++] = uint8_t(0x80 | (run - 1));
        put(row + x * 3, 3);
        x += run;
        continue;
      }
      int literal = 1;
      while (x + literal < width && literal < 128 &&
             (x + literal + 1 >= width || std::memcmp(row + (x + literal) * 3, row + (x + literal + 1) * 3, 3) != 0))
        ++literal;
      out[at++] = uint8_t(literal - 1);
      put(row + x * 3, size_t(literal) * 3);
      x += literal;
    }
  }
  out.resize(at);
  return out;
}

}  // namespace zorbin::bench
