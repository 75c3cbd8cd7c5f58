// SurfaceCopy: blits between software surfaces of one pixel format without
// colour key or alpha (the background, the frame to the screen) as row
// copies through the cache; everything else goes to SDL's blitter.
#pragma once

#include <SDL.h>

namespace zorbin {

// SDL_BlitSurface (SDL_UpperBlit) in effect: the same clipping against the
// source and the target's clip rectangle, the same written pixels and the
// same clipped target rectangle in dstRect. SDL's own copy of such
// surfaces stores past the cache, which costs a full frame more than the
// copy itself when the frame is read again at once.
int BlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect);

}  // namespace zorbin
