// FastPaletteUnit: the current 256-colour palette (red, green, blue per
// entry) that palette-indexed pictures without a palette of their own take
// their colours from, and the built-in default it starts with.
#pragma once

#include <cstdint>

namespace zorbin {

// The built-in palette: 0 black, 1 near-white, 2 blue, 3 red, then twelve
// further basic colours, a 6x6x6 colour cube (16..231) and a grey ramp
// (232..255). Every value is a multiple of 4, as 6-bit palettes give.
extern const uint8_t DefaultPalette[768];

// Filled from DefaultPalette when the program starts; nothing changes it
// afterwards.
extern uint8_t CurrentPalette[768];

}  // namespace zorbin
