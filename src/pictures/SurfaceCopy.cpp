// SurfaceCopy: plain copies of opaque surfaces of one pixel format.
#include "pictures/SurfaceCopy.h"

#include "util/ByteOrder.h"

#include <algorithm>
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

// Pixels a fill or conversion may write directly: 32 bits, no lock needed.
bool PlainTarget(const SDL_Surface* dst) {
  return dst && dst->pixels && !SDL_MUSTLOCK(dst) && dst->format->BytesPerPixel == 4 && !dst->format->palette;
}

}  // namespace

int FillSurface(SDL_Surface* dst, SDL_Rect* rect, Uint32 color) {
  if (!PlainTarget(dst)) return SDL_FillRect(dst, rect, color);
  if (rect) {
    // SDL's intersection: a rectangle of no area fills nothing.
    const SDL_Rect& clip = dst->clip_rect;
    const int left = std::max<int>(rect->x, clip.x), top = std::max<int>(rect->y, clip.y);
    const int right = std::min(rect->x + rect->w, clip.x + clip.w);
    const int bottom = std::min(rect->y + rect->h, clip.y + clip.h);
    rect->x = Sint16(left);
    rect->y = Sint16(top);
    rect->w = Uint16(std::max(right - left, 0));
    rect->h = Uint16(std::max(bottom - top, 0));
    if (rect->w == 0 || rect->h == 0) return 0;
  } else {
    rect = &dst->clip_rect;
  }
  uint8_t* row = static_cast<uint8_t*>(dst->pixels) + rect->y * dst->pitch + rect->x * 4;
  for (int y = 0; y < rect->h; ++y, row += dst->pitch) std::fill_n(reinterpret_cast<Uint32*>(row), rect->w, color);
  return 0;
}

bool ConvertBGR(const Uint8* data, int width, int height, SDL_Surface* dst) {
  if (!PlainTarget(dst) || width <= 0 || height <= 0 || width > dst->w || height > dst->h) return false;
  const SDL_PixelFormat* f = dst->format;
  if (f->Amask != 0 || f->Rloss != 0 || f->Gloss != 0 || f->Bloss != 0) return false;
  const SDL_Rect& clip = dst->clip_rect;
  if (clip.x != 0 || clip.y != 0 || clip.w < width || clip.h < height) return false;
  const int rs = f->Rshift, gs = f->Gshift, bs = f->Bshift;
  // SDL's usual 32-bit format holds a pixel's blue, green and red bytes in
  // that order from its lowest bits: one 4-byte load and a mask a pixel,
  // the last pixel of all without reading past the data.
  const bool bgr = bs == 0 && gs == 8 && rs == 16;
  for (int y = 0; y < height; ++y) {
    const Uint8* from = data + size_t(y) * size_t(width) * 3;
    Uint32* to = reinterpret_cast<Uint32*>(static_cast<uint8_t*>(dst->pixels) + y * dst->pitch);
    int x = 0;
    if (bgr)
      for (const int wide = y + 1 < height ? width : width - 1; x < wide; ++x, from += 3)
        to[x] = LoadLE32(from) & 0xFFFFFFu;
    for (; x < width; ++x, from += 3) to[x] = Uint32(from[2]) << rs | Uint32(from[1]) << gs | Uint32(from[0]) << bs;
  }
  return true;
}

int BlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dst, SDL_Rect* dstRect) {
  if (!src || !dst || !PlainCopy(src, dst)) return SDL_UpperBlit(src, srcRect, dst, dstRect);

  // The clipping of SDL_UpperBlit, step by step, in its own types: first
  // to the source surface, then to the destination's clip rectangle, one
  // axis at a time.
  SDL_Rect fullDst{0, 0, 0, 0};
  if (!dstRect) dstRect = &fullDst;
  int srcX = 0;
  int srcY = 0;
  int w = src->w;
  int h = src->h;
  auto clipToSource = [](int rectPos, int rectLength, int srcSize, int& pos, int& length, Sint16& dstPos) {
    pos = rectPos;
    length = rectLength;
    if (pos < 0) {
      length += pos;
      dstPos = Sint16(dstPos - pos);
      pos = 0;
    }
    if (srcSize - pos < length) length = srcSize - pos;
  };
  auto clipToDestination = [](int clipPos, int clipLength, int& pos, int& length, Sint16& dstPos) {
    int d = clipPos - dstPos;
    if (d > 0) {
      length -= d;
      dstPos = Sint16(dstPos + d);
      pos += d;
    }
    d = dstPos + length - clipPos - clipLength;
    if (d > 0) length -= d;
  };
  if (srcRect) {
    clipToSource(srcRect->x, srcRect->w, src->w, srcX, w, dstRect->x);
    clipToSource(srcRect->y, srcRect->h, src->h, srcY, h, dstRect->y);
  }
  const SDL_Rect& clip = dst->clip_rect;
  clipToDestination(clip.x, clip.w, srcX, w, dstRect->x);
  clipToDestination(clip.y, clip.h, srcY, h, dstRect->y);
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
