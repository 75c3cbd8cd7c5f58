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
// The eight bytes every PNG file starts with.
inline constexpr uint8_t kPNGSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Appends a chunk: data length, type, data and the CRC-32 of type and data.
void AppendPNGChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data);
// The signature and the IHDR chunk of an 8-bit RGB (or, with alpha, RGBA) picture.
std::vector<uint8_t> PNGStart(int width, int height, bool alpha);
// The zlib stream of an IDAT: rows of rowBytes pixel bytes, row y starting
// at first + y * stride, each row unfiltered; level is zlib's (0-9).
std::vector<uint8_t> DeflateRows(const uint8_t* first, size_t rowBytes, int rows, size_t stride, int level);
// The PNG file for width x height R, G, B bytes.
std::vector<uint8_t> EncodePNG(int width, int height, const std::vector<uint8_t>& rgb);
// R, G, B bytes enlarged by a whole factor, each pixel a factor x factor block
// (a small pixel-art picture stays sharp at every size).
std::vector<uint8_t> ScaleRGB(int width, int height, const std::vector<uint8_t>& rgb, int factor);
// PNG, or BMP when fileName ends in ".bmp" (any case). False when the file
// cannot be written, there is no surface or it has a side of 0 pixels
// (which neither format can hold). A PNG is enlarged by scale.
bool SaveSurfaceFile(SDL_Surface* surface, const std::string& fileName, int scale = 1);

}  // namespace zorbin
