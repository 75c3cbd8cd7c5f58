// ImageUnit: surfaces, the colour key and the drawing primitives.
#include "pictures/ImageUnit.h"

#include "log/Logger.h"

#include <algorithm>
#include <stdexcept>

namespace zorbin {

static int gImageDepth = 24;

int ImageDepth() { return gImageDepth; }
void SetImageDepth(int depth) { gImageDepth = depth; }

SDL_Surface* CreateImageSurface(int width, int height) {
  if (width < 0 || height < 0 || width > 32767 || height > 32767) return nullptr;
  return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, gImageDepth, 0, 0, 0, 0);
}

TImage::TImage(int width, int height) {
  Surface = CreateImageSurface(width, height);
  if (!Surface) {
    std::string message = "Cannot create surface (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    if (Log) Log->Error(message, "ImageUnit, TImage.Create");
    throw std::runtime_error(message);
  }
  SDL_FillRect(Surface, nullptr, SDL_MapRGB(Surface->format, 0, 0, 0));
}

TImage::~TImage() {
  if (Surface && ownsSurface_) SDL_FreeSurface(Surface);
}

void TImage::SetSurface(SDL_Surface* surface, bool owned) {
  if (Surface && ownsSurface_ && Surface != surface) SDL_FreeSurface(Surface);
  Surface = surface;
  ownsSurface_ = owned;
}

int TImage::FrameWidth() const {
  if (!Surface) return 0;
  return FrameCount > 0 ? Surface->w / FrameCount : Surface->w;
}

static SDL_Rect MakeRect(int x, int y, int w, int h) {
  SDL_Rect r;
  r.x = Sint16(x);
  r.y = Sint16(y);
  r.w = Uint16(w < 0 ? 0 : w);
  r.h = Uint16(h < 0 ? 0 : h);
  return r;
}

void TImage::Draw(int x, int y, const TImage* src) {
  if (!Surface || !src || !src->Surface) return;
  SDL_Rect dst = MakeRect(x, y, 0, 0);
  SDL_BlitSurface(src->Surface, nullptr, Surface, &dst);
}

void TImage::DrawPart(int x, int y, int srcX, int srcY, int srcW, int srcH, const TImage* src) {
  if (!Surface || !src || !src->Surface) return;
  SDL_Rect from = MakeRect(srcX, srcY, srcW, srcH);
  SDL_Rect dst = MakeRect(x, y, 0, 0);
  SDL_BlitSurface(src->Surface, &from, Surface, &dst);
}

void TImage::FillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  if (!Surface) return;
  SDL_Rect rect = MakeRect(x, y, w, h);
  SDL_FillRect(Surface, &rect, SDL_MapRGB(Surface->format, r, g, b));
}

void TImage::Rectangle(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  FillRect(x, y, w, 1, r, g, b);
  FillRect(x + w - 1, y, 1, h, r, g, b);
  FillRect(x, y, 1, h, r, g, b);
  FillRect(x, y + h - 1, w, 1, r, g, b);
}

uint32_t TImage::GetPixel(int x, int y) const {
  if (!Surface || x < 0 || y < 0 || x >= Surface->w || y >= Surface->h) return 0;
  int bpp = Surface->format->BytesPerPixel;
  const uint8_t* p = static_cast<const uint8_t*>(Surface->pixels) + y * Surface->pitch + x * bpp;
  switch (bpp) {
    case 1: return p[0];
    case 2: return uint32_t(p[0] | (p[1] << 8));
    case 3: return uint32_t(p[0] | (p[1] << 8) | (p[2] << 16));
    case 4: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    default: return 0;
  }
}

void TImage::PutPixelRaw(int x, int y, uint32_t value) {
  if (!Surface || x < 0 || y < 0 || x >= Surface->w || y >= Surface->h) return;
  int bpp = Surface->format->BytesPerPixel;
  uint8_t* p = static_cast<uint8_t*>(Surface->pixels) + y * Surface->pitch + x * bpp;
  if (bpp < 1 || bpp > 4) return;
  for (int i = 0; i < bpp; ++i) p[i] = uint8_t(value >> (8 * i));
}

void TImage::PutPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  if (!Surface) return;
  PutPixelRaw(x, y, SDL_MapRGB(Surface->format, r, g, b));
}

uint32_t TImage::MapRGB(uint8_t r, uint8_t g, uint8_t b) const {
  return Surface ? SDL_MapRGB(Surface->format, r, g, b) : 0;
}

void TImage::Tile(const TImage* src) {
  if (!Surface || !src || !src->Surface || src->Surface->w <= 0 || src->Surface->h <= 0) return;
  int cw = src->Surface->w, ch = src->Surface->h;
  for (int x = 0; x < Surface->w; x += cw)
    for (int y = 0; y < Surface->h; y += ch) DrawPart(x, y, 0, 0, std::min(cw, Surface->w - x), std::min(ch, Surface->h - y), src);
}

void TImage::ApplyColorKey() {
  if (Surface && ColorKeyed) SDL_SetColorKey(Surface, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0);
}

}  // namespace zorbin
