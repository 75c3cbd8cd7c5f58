// WebPage: frames to the page's canvas, the page's keys to SDL.
#include "shell/WebPage.h"

#ifdef __EMSCRIPTEN__

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace zorbin {

void UseWebDrivers() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

void ShowOnPage(SDL_Surface* screen) {
  if (!screen || screen->format->BytesPerPixel != 4) return;
  static std::vector<uint32_t> rgba;
  rgba.resize(size_t(screen->w) * size_t(screen->h));
  const SDL_PixelFormat* f = screen->format;
  bool locked = SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) == 0;
  for (int y = 0; y < screen->h; ++y) {
    const uint32_t* row =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(screen->pixels) + y * screen->pitch);
    uint32_t* out = rgba.data() + size_t(y) * size_t(screen->w);
    for (int x = 0; x < screen->w; ++x) {
      uint32_t p = row[x];
      uint32_t r = (p & f->Rmask) >> f->Rshift, g = (p & f->Gmask) >> f->Gshift, b = (p & f->Bmask) >> f->Bshift;
      out[x] = 0xFF000000u | (b << 16) | (g << 8) | r;  // R, G, B, A in memory order
    }
  }
  if (locked) SDL_UnlockSurface(screen);
  // clang-format off
  EM_ASM({
    var canvas = Module['canvas'];
    if (!canvas) return;
    if (canvas.width != $1 || canvas.height != $2) { canvas.width = $1; canvas.height = $2; }
    var image = Module['frameImage'];
    if (!image || image.width != $1 || image.height != $2)
      image = Module['frameImage'] = canvas.getContext('2d').createImageData($1, $2);
    image.data.set(HEAPU8.subarray($0, $0 + $1 * $2 * 4));
    canvas.getContext('2d').putImageData(image, 0, 0);
    // For the page's watchers: the frames shown so far, and a call after
    // each one (keys given then reach the game's next poll).
    Module['framesShown'] = (Module['framesShown'] || 0) + 1;
    if (Module['onFrameShown']) Module['onFrameShown'](Module['framesShown']);
  }, rgba.data(), screen->w, screen->h);
  // clang-format on
}

}  // namespace zorbin

extern "C" EMSCRIPTEN_KEEPALIVE void zorbin_web_key(int key, int down) {
  SDL_Event event;
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.type = event.type;
  event.key.which = 0;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = 0;
  event.key.keysym.sym = SDLKey(key);
  event.key.keysym.mod = KMOD_NONE;
  event.key.keysym.unicode = 0;
  SDL_PushEvent(&event);
}

#endif
