// Presentation: layout arithmetic and the nearest-neighbour copy.
#include "shell/Presentation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zorbin {

TLayout WindowLayout(int scale, int frameWidth, int frameHeight) {
  scale = std::max(scale, 1);
  return TLayout{frameWidth * scale, frameHeight * scale, scale, 0, 0};
}

int AutoScale(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight) {
  int scale = kMaxWindowScale;
  while (scale > 1 &&
         (frameWidth * scale + kBorderRoomX > desktopWidth || frameHeight * scale + kBorderRoomY > desktopHeight))
    --scale;
  return scale;
}

TLayout FullscreenLayout(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight) {
  TLayout layout;
  layout.ScreenWidth = std::max(desktopWidth, frameWidth);
  layout.ScreenHeight = std::max(desktopHeight, frameHeight);
  layout.Scale = std::max(1, std::min(layout.ScreenWidth / frameWidth, layout.ScreenHeight / frameHeight));
  layout.OffsetX = (layout.ScreenWidth - frameWidth * layout.Scale) / 2;
  layout.OffsetY = (layout.ScreenHeight - frameHeight * layout.Scale) / 2;
  return layout;
}

void ScreenToFrame(const TLayout& layout, int frameWidth, int frameHeight, int& x, int& y) {
  int scale = std::max(layout.Scale, 1);
  x = std::clamp((x - layout.OffsetX) / scale, 0, frameWidth - 1);
  y = std::clamp((y - layout.OffsetY) / scale, 0, frameHeight - 1);
}

namespace {

bool SameFormat(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
  return a->BytesPerPixel == b->BytesPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask;
}

// Widens one row: every pixel repeated scale times.
template <typename TPixel>
void WidenRow(const uint8_t* source, uint8_t* target, int width, int scale) {
  const TPixel* from = reinterpret_cast<const TPixel*>(source);
  TPixel* to = reinterpret_cast<TPixel*>(target);
  for (int x = 0; x < width; ++x)
    for (int k = 0; k < scale; ++k) *to++ = from[x];
}

void WidenRowBytes(const uint8_t* source, uint8_t* target, int width, int scale, int bytes) {
  for (int x = 0; x < width; ++x)
    for (int k = 0; k < scale; ++k, target += bytes) std::memcpy(target, source + x * bytes, size_t(bytes));
}

}  // namespace

bool PresentScaled(SDL_Surface* frame, SDL_Surface* screen, const TLayout& layout) {
  if (!frame || !screen || !SameFormat(frame->format, screen->format)) return false;
  int scale = std::max(layout.Scale, 1);
  int bytes = frame->format->BytesPerPixel;
  // Only the part of the scaled frame that lies on the screen is drawn.
  int width = std::min(frame->w, (screen->w - layout.OffsetX) / scale);
  int height = std::min(frame->h, (screen->h - layout.OffsetY) / scale);
  if (layout.OffsetX < 0 || layout.OffsetY < 0 || width <= 0 || height <= 0) return false;
  bool lockFrame = SDL_MUSTLOCK(frame) && SDL_LockSurface(frame) == 0;
  bool lockScreen = SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) == 0;
  const uint8_t* source = static_cast<const uint8_t*>(frame->pixels);
  uint8_t* target = static_cast<uint8_t*>(screen->pixels) + layout.OffsetY * screen->pitch + layout.OffsetX * bytes;
  size_t rowBytes = size_t(width) * size_t(scale) * size_t(bytes);
  for (int y = 0; y < height; ++y, source += frame->pitch) {
    uint8_t* first = target;
    if (bytes == 4)
      WidenRow<uint32_t>(source, first, width, scale);
    else if (bytes == 2)
      WidenRow<uint16_t>(source, first, width, scale);
    else
      WidenRowBytes(source, first, width, scale, bytes);
    target += screen->pitch;
    // The other rows of the pixel row are copies of the widened one.
    for (int k = 1; k < scale; ++k, target += screen->pitch) std::memcpy(target, first, rowBytes);
  }
  if (lockScreen) SDL_UnlockSurface(screen);
  if (lockFrame) SDL_UnlockSurface(frame);
  return true;
}

void DimSurface(SDL_Surface* surface) {
  if (!surface || surface->format->BytesPerPixel != 4) return;
  bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
  for (int y = 0; y < surface->h; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
    // Every channel is 8 bits wide: shift, then clear what came over from the neighbour.
    for (int x = 0; x < surface->w; ++x) row[x] = (row[x] >> 1) & 0x7F7F7F7Fu;
  }
  if (locked) SDL_UnlockSurface(surface);
}

namespace {

// 5 x 7 block letters of the one word the shell writes.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr const char* kPausedGlyphs[6][kGlyphHeight] = {
    {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."},
    {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"},
    {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"},
    {".....", ".....", ".####", "#....", ".###.", "....#", "####."},
    {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."},
    {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"},
};

}  // namespace

void DrawPausedLabel(SDL_Surface* surface) {
  if (!surface) return;
  constexpr int kDot = 6;
  constexpr int kAdvance = (kGlyphWidth + 1) * kDot;
  int left = (surface->w - 6 * kAdvance + kDot) / 2;
  int top = (surface->h - kGlyphHeight * kDot) / 2;
  Uint32 white = SDL_MapRGB(surface->format, 255, 255, 255);
  for (int g = 0; g < 6; ++g)
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col) {
        if (kPausedGlyphs[g][row][col] != '#') continue;
        SDL_Rect dot{Sint16(left + g * kAdvance + col * kDot), Sint16(top + row * kDot), kDot, kDot};
        SDL_FillRect(surface, &dot, white);
      }
}

}  // namespace zorbin
