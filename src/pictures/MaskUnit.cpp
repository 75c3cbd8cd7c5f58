// MaskUnit: building a mask from an image's raw pixel values.
#include "pictures/MaskUnit.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"

namespace zorbin {

TMask::TMask(const TImage& image, uint8_t value) {
  SDL_Surface* surface = image.Surface;
  if (!surface) return;
  Width = surface->w;
  Height = surface->h;
  Data.assign(size_t(Width) * size_t(Height), 0);
  bool locked = false;
  if (SDL_MUSTLOCK(surface)) {
    if (SDL_LockSurface(surface) < 0) {
      Log->Warning("Can't lock surface", "MaskUnit, CreateFromImage");
      return;
    }
    locked = true;
  }
  size_t i = 0;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) Data[i++] = image.GetPixel(x, y) != 0 ? value : 0;
  if (locked) SDL_UnlockSurface(surface);
}

}  // namespace zorbin
