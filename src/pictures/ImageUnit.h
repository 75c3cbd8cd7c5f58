// ImageUnit: TImage, the drawable picture of the game (one SDL software
// surface at the display's depth plus the animation data its file carried),
// and its drawing primitives.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace zorbin {

// Bits per pixel of every surface image code creates: 24 until the display
// sets its own depth.
int ImageDepth();
void SetImageDepth(int depth);

class TImage {
 public:
  // No surface; the shell sets Surface to the screen or back buffer.
  TImage() = default;
  // A black W x H surface at the image depth. Logs and raises
  // "Cannot create surface (WxH)" when SDL cannot make it.
  TImage(int width, int height);
  ~TImage();
  TImage(const TImage&) = delete;
  TImage& operator=(const TImage&) = delete;

  // Frees the surface unless it was only wrapped (the screen surfaces).
  void SetSurface(SDL_Surface* surface, bool owned);
  int Width() const { return Surface ? Surface->w : 0; }
  int Height() const { return Surface ? Surface->h : 0; }
  // Surface width div FrameCount (whole width when not animated); 0 without a surface.
  int FrameWidth() const;

  void Draw(int x, int y, const TImage* src);
  void DrawPart(int x, int y, int srcX, int srcY, int srcW, int srcH, const TImage* src);
  void FillRect(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
  void Rectangle(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
  uint32_t GetPixel(int x, int y) const;
  void PutPixelRaw(int x, int y, uint32_t value);
  void PutPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b);
  void Tile(const TImage* src);
  uint32_t MapRGB(uint8_t r, uint8_t g, uint8_t b) const;
  // Applies the colour-key convention: black transparent when ColorKeyed.
  void ApplyColorKey();

  SDL_Surface* Surface = nullptr;
  bool Animated = false;
  bool RandomStartFrame = false;
  bool Looped = false;
  bool Paused = false;
  bool ColorKeyed = false;
  int32_t FrameCount = 0;
  int32_t FrameDelay = 0;
  int32_t LoopDelay = 0;
  int32_t StartFrame = 0;

 private:
  bool ownsSurface_ = true;
};

// A software surface at the image depth with SDL's default masks; nullptr on failure.
SDL_Surface* CreateImageSurface(int width, int height);

}  // namespace zorbin
