// FastPaletteUnit: the built-in default palette and the current palette.
#include "pictures/FastPaletteUnit.h"

#include <array>
#include <cstddef>

namespace zorbin {

namespace {

constexpr std::array<uint8_t, 768> MakeDefaultPalette() {
  std::array<uint8_t, 768> p{};
  // The first sixteen entries are the colours pictures of this game use for
  // text and markers; the first four are fixed by the data.
  constexpr uint8_t kBasic[16][3] = {
      {0x00, 0x00, 0x00}, {0xFC, 0xFC, 0xFC}, {0x20, 0x50, 0xD8}, {0xF0, 0x28, 0x14},
      {0x28, 0xB4, 0x3C}, {0xF8, 0xD8, 0x20}, {0x30, 0xC8, 0xE0}, {0xC0, 0x40, 0xC8},
      {0x54, 0x54, 0x54}, {0xA8, 0xA8, 0xA8}, {0xF8, 0x8C, 0x1C}, {0x80, 0x50, 0x28},
      {0x10, 0x20, 0x70}, {0x78, 0x10, 0x0C}, {0x14, 0x60, 0x1C}, {0x60, 0x20, 0x88},
  };
  for (int i = 0; i < 16; ++i)
    for (int c = 0; c < 3; ++c) p[std::size_t(i * 3 + c)] = kBasic[i][c];
  // A 6x6x6 cube, red slowest, so index = 16 + 36 r + 6 g + b.
  constexpr uint8_t kLevel[6] = {0x00, 0x30, 0x64, 0x98, 0xCC, 0xFC};
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        std::size_t i = std::size_t(16 + r * 36 + g * 6 + b) * 3;
        p[i] = kLevel[r];
        p[i + 1] = kLevel[g];
        p[i + 2] = kLevel[b];
      }
  // 24 greys strictly between black and white.
  for (int k = 0; k < 24; ++k) {
    auto v = uint8_t(((k + 1) * 252 / 25) & ~3);
    std::size_t i = std::size_t(232 + k) * 3;
    p[i] = p[i + 1] = p[i + 2] = v;
  }
  return p;
}

constexpr std::array<uint8_t, 768> kDefaultPalette = MakeDefaultPalette();

}  // namespace

// Both tables are spelled out element by element from the generated one so
// they are constant-initialised: filled before any code of the program runs.
const uint8_t DefaultPalette[768] = {
#define ZORBIN_P1(i) kDefaultPalette[i],
#define ZORBIN_P4(i) ZORBIN_P1(i) ZORBIN_P1(i + 1) ZORBIN_P1(i + 2) ZORBIN_P1(i + 3)
#define ZORBIN_P16(i) ZORBIN_P4(i) ZORBIN_P4(i + 4) ZORBIN_P4(i + 8) ZORBIN_P4(i + 12)
#define ZORBIN_P64(i) ZORBIN_P16(i) ZORBIN_P16(i + 16) ZORBIN_P16(i + 32) ZORBIN_P16(i + 48)
#define ZORBIN_P256(i) ZORBIN_P64(i) ZORBIN_P64(i + 64) ZORBIN_P64(i + 128) ZORBIN_P64(i + 192)
    ZORBIN_P256(0) ZORBIN_P256(256) ZORBIN_P256(512)};

uint8_t CurrentPalette[768] = {ZORBIN_P256(0) ZORBIN_P256(256) ZORBIN_P256(512)};
#undef ZORBIN_P256
#undef ZORBIN_P64
#undef ZORBIN_P16
#undef ZORBIN_P4
#undef ZORBIN_P1

}  // namespace zorbin
