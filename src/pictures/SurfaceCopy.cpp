// SurfaceCopy: plain copies of opaque surfaces of one pixel format.
#include "pictures/SurfaceCopy.h"

#include <cstring>

namespace zorbin {

namespace {

// A copy that SDL would do with its plain copy blitter: two distinct
// unlocked software surfaces of one pixel format, no palette, no colour
// key and no alpha blending on the source.
bool PlainCopy(const SDL_Surface* src, const SDL_Surface* dst) {
  const SDL_PixelFormat* a = src->format;
  const SDL_PixelFormat* b = dst->format;
  return src != dst && !src->locked && !dst->locked && !SDL_MUSTLOCK(src) && !SDL_MUSTLOCK(dst) && !a->palette &&
         !b->palette && a->BitsPerPixel == b->BitsPerPixel && a->BytesPerPixel == b->BytesPerPixel &&
         a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask && a->Amask == b->Amask &&
         (src->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA)) == 0 && src->pixels && dst->pixels;
}

}  // namespace

int BlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect) {
  if (!src || !dst || !PlainCopy(src, dst)) return SDL_UpperBlit(src, srcRect, dst, dstRect);

  // The clipping of SDL_UpperBlit, step by step, in its own types.
  SDL_Rect fullDst{0, 0, 0, 0};
  if (!dstRect) dstRect = &fullDst;
  int srcX = 0;
  int srcY = 0;
  int w = src->w;
  int h = src->h;
  if (srcRect) {
    srcX = srcRect->x;
    w = srcRect->w;
    if (srcX < 0) {
      w += srcX;
      dstRect->x = Sint16(dstRect->x - srcX);
      srcX = 0;
    }
    if (src->w - srcX < w) w = src->w - srcX;
    srcY = srcRect->y;
    h = srcRect->h;
    if (srcY < 0) {
      h += srcY;
      dstRect->y = Sint16(dstRect->y - srcY);
      srcY = 0;
    }
    if (src->h - srcY < h) h = src->h - srcY;
  }
  const SDL_Rect& clip = dst->clip_rect;
  int dx = clip.x - dstRect->x;
  if (dx > 0) {
    w -= dx;
    dstRect->x = Sint16(dstRect->x + dx);
    srcX += dx;
  }
  dx = dstRect->x + w - clip.x - clip.w;
  if (dx > 0) w -= dx;
  int dy = clip.y - dstRect->y;
  if (dy > 0) {
    h -= dy;
    dstRect->y = Sint16(dstRect->y + dy);
    srcY += dy;
  }
  dy = dstRect->y + h - clip.y - clip.h;
  if (dy > 0) h -= dy;
  if (w <= 0 || h <= 0) {
    dstRect->w = dstRect->h = 0;
    return 0;
  }
  dstRect->w = Uint16(w);
  dstRect->h = Uint16(h);

  const int bytes = src->format->BytesPerPixel;
  const size_t rowBytes = size_t(w) * size_t(bytes);
  const uint8_t* from = static_cast<const uint8_t*>(src->pixels) + srcY * src->pitch + srcX * bytes;
  uint8_t* to = static_cast<uint8_t*>(dst->pixels) + dstRect->y * dst->pitch + dstRect->x * bytes;
  if (rowBytes == size_t(src->pitch) && src->pitch == dst->pitch) {
    std::memcpy(to, from, rowBytes * size_t(h));
    return 0;
  }
  for (int y = 0; y < h; ++y, from += src->pitch, to += dst->pitch) std::memcpy(to, from, rowBytes);
  return 0;
}

}  // namespace zorbin
