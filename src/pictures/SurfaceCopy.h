// SurfaceCopy: the plain cases of blits and fills done here, through the
// cache: copies between software surfaces of one pixel format without
// colour key or alpha (the background, the frame to the screen), fills of
// 32-bit surfaces and 24-bit pixels onto new 32-bit surfaces. SDL's own
// routines for these store past the cache (or convert pixel by pixel),
// which costs a full frame's memory traffic when the pixels are read again
// at once. Everything else goes to SDL.
#pragma once

#include <SDL.h>

namespace zorbin {

// SDL_BlitSurface (SDL_UpperBlit) in effect: the same clipping against the
// source and the target's clip rectangle, the same written pixels and the
// same clipped target rectangle in dstRect.
int BlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);
// SDL_FillRect in effect, rect clipped in place the same way.
int FillSurface(SDL_Surface* dst, SDL_Rect* rect, Uint32 color);
// Rows of width pixels of blue, green, red bytes (width * 3 bytes a row)
// converted onto dst from its top-left corner, as SDL blits a 24-bit
// surface of those pixels: false, with nothing drawn, where dst is not a
// plain 32-bit surface of 8-bit channels without alpha that holds them.
bool ConvertBGR(const Uint8* data, int width, int height, SDL_Surface* dst);

}  // namespace zorbin
