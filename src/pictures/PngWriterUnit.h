// PngWriterUnit: saves a surface as a PNG file (8-bit RGB, written with
// zlib's deflate and crc32) or, for names ending in ".bmp", as a BMP file.
// Used by the tools for pictures and screenshots.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin {

// The surface's pixels as R, G, B bytes, rows top to bottom.
std::vector<uint8_t> SurfaceToRGB(SDL_Surface* surface);
// The PNG file for width x height R, G, B bytes.
std::vector<uint8_t> EncodePNG(int width, int height, const std::vector<uint8_t>& rgb);
// R, G, B bytes enlarged by a whole factor, each pixel a factor x factor block
// (a small pixel-art picture stays sharp at every size).
std::vector<uint8_t> ScaleRGB(int width, int height, const std::vector<uint8_t>& rgb, int factor);
// PNG, or BMP when fileName ends in ".bmp" (any case). False when the file
// cannot be written or there is no surface. A PNG is enlarged by scale.
bool SaveSurfaceFile(SDL_Surface* surface, const std::string& fileName, int scale = 1);

}  // namespace zorbin
