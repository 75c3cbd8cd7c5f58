// Display: the window, the back buffer, presenting frames and the player's
// fullscreen, screenshot and pause keys.
#include "shell/Display.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "pictures/SurfaceCopy.h"
#include "shell/Screenshot.h"
#include "shell/WebPage.h"
#include "util/ProcessExit.h"

#include <cstdlib>
#include <string>

namespace zorbin {

namespace {

const char* const kInitContext = "QX_SDL, Initialize";

struct TFreeSurface {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using TSurfacePtr = std::unique_ptr<SDL_Surface, TFreeSurface>;

// Left to itself, SDL without a display falls back to drawing the game as
// coloured letters in the terminal, which nobody can play. Unless a driver
// is asked for by name, only drivers of real displays are tried, in SDL's
// own order. Returns "" or why no display could be opened.
std::string InitVideo() {
#ifndef __EMSCRIPTEN__
  if (!std::getenv("SDL_VIDEODRIVER")) {
    for (const char* driver : {"x11", "fbcon", "directfb"}) {
      setenv("SDL_VIDEODRIVER", driver, 1);
      bool started = SDL_Init(SDL_INIT_VIDEO) == 0;
      unsetenv("SDL_VIDEODRIVER");
      if (started) return "";
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return "No display (DISPLAY is not set)";
    return std::string("No display (DISPLAY \"") + display + "\" names no X server that answers)";
  }
#endif
  return SDL_Init(SDL_INIT_VIDEO) == 0 ? "" : SDL_GetError();
}

}  // namespace

TDisplay::TDisplay() = default;
TDisplay::~TDisplay() = default;

SDL_Surface* TDisplay::BackBuffer() const { return backImage_ ? backImage_->Surface : nullptr; }

void TDisplay::Open(uint16_t width, uint16_t height, uint16_t depth, uint32_t options) {
#ifdef __EMSCRIPTEN__
  UseWebDrivers();
#endif
  if (std::string why = InitVideo(); !why.empty()) {
    Log->Error("Could not initialize SDL : " + why, kInitContext);
    SDL_Quit();
    HaltProcess(1);
  }
  width_ = width;
  height_ = height;
  depth_ = depth;
  videoOptions_ = options;
  fullscreen_ = presentation_.Fullscreen;
  hadFocus_ = paused_ = pausedByFocus_ = screenshotWanted_ = false;
  if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
    desktopWidth_ = info->current_w;
    desktopHeight_ = info->current_h;
  }
  layout_ = ChosenLayout(fullscreen_);
  screen_ = SetMode(layout_, fullscreen_);
  if (!screen_) {
    Log->Error("Couldn't set " + std::to_string(layout_.ScreenWidth) + "x" + std::to_string(layout_.ScreenHeight) +
                   "x" + std::to_string(depth) + " video mode : " + SDL_GetError(),
               kInitContext);
    SDL_Quit();
    HaltProcess(1);
  }
  screenImage_ = std::make_unique<TImage>();
  screenImage_->SetSurface(screen_, false);
  SDL_Surface* back = SDL_CreateRGBSurface(SDL_SWSURFACE, width_, height_, depth, 0, 0, 0, 0);
  if (!back) {
    Log->Error(std::string("Couldn't create secondary surface: ") + SDL_GetError(), kInitContext);
    screenImage_.reset();
    screen_ = nullptr;
    SDL_Quit();
    HaltProcess(1);
  }
  backImage_ = std::make_unique<TImage>();
  backImage_->SetSurface(back, true);
  mouseObjects_ = std::make_unique<TMouseObjects>();
  SDL_WM_SetCaption("KROMBEL SDL Application", nullptr);
  timer_.ResetCounts();
}

void TDisplay::Close() {
  screenImage_.reset();
  backImage_.reset();
  mouseObjects_.reset();
  screen_ = nullptr;
  paused_ = pausedByFocus_ = screenshotWanted_ = false;
}

TLayout TDisplay::ChosenLayout(bool fullscreen) const {
  if (fullscreen) return FullscreenLayout(desktopWidth_, desktopHeight_, int(width_), int(height_));
  int scale = presentation_.Scale > 0 ? presentation_.Scale
                                      : AutoScale(desktopWidth_, desktopHeight_, int(width_), int(height_));
  return WindowLayout(scale, int(width_), int(height_));
}

// Sets the mode for layout; the screen starts black around the frame.
SDL_Surface* TDisplay::SetMode(const TLayout& layout, bool fullscreen) {
  SDL_Surface* screen = SDL_SetVideoMode(layout.ScreenWidth, layout.ScreenHeight, int(depth_),
                                         videoOptions_ | (fullscreen ? SDL_FULLSCREEN : 0u));
  scaled_ = fullscreen || layout.Scale != 1 || layout.OffsetX != 0 || layout.OffsetY != 0;
  if (screen && scaled_) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  return screen;
}

// Shows frame on the screen: 1:1 the way it always was, or scaled.
void TDisplay::Present(SDL_Surface* frame) {
  if (!screen_ || !frame) return;
  if (!scaled_) {
    if (BlitSurface(frame, nullptr, screen_, nullptr) != 0) Log->Warning("Flip Blit failed...", "QX_SDL, Flip");
    return;
  }
  if (PresentScaled(frame, screen_, layout_)) return;
  // A screen of another pixel format gets the frame converted first.
  if (TSurfacePtr converted{SDL_ConvertSurface(frame, screen_->format, SDL_SWSURFACE)})
    PresentScaled(converted.get(), screen_, layout_);
}

void TDisplay::Flip() {
  Present(BackBuffer());
  ServeScreenshot();
  timer_.WaitForDeadline();
  if (screen_) SDL_Flip(screen_);
#ifdef __EMSCRIPTEN__
  ShowOnPage(screen_);
#endif
  timer_.CountFrame();
  afterFlip_.Notify();
}

void TDisplay::ToggleFullscreen() {
  bool fullscreen = !fullscreen_;
  TLayout layout = ChosenLayout(fullscreen);
  SDL_Surface* screen = SetMode(layout, fullscreen);
  if (!screen) {
    Log->Warning(std::string("Could not switch fullscreen: ") + SDL_GetError(), "QX_SDL, ToggleFullscreen");
    screen_ = SetMode(layout_, fullscreen_);
    if (screenImage_) screenImage_->SetSurface(screen_, false);
    if (!screen_) HaltProcess(1);
    return;
  }
  screen_ = screen;
  if (screenImage_) screenImage_->SetSurface(screen_, false);
  layout_ = layout;
  fullscreen_ = fullscreen;
  Present(BackBuffer());
  SDL_Flip(screen_);
  fullscreenChanged_.Notify(fullscreen);
}

void TDisplay::ServeScreenshot() {
  if (screenshotWanted_) TakeScreenshot();
}

void TDisplay::TakeScreenshot() {
  screenshotWanted_ = false;
  std::string name = SaveScreenshot(BackBuffer(), ScreenshotFolder());
  if (name.empty())
    Log->Warning("Screenshot could not be saved in " + ScreenshotFolder(), "QX_SDL, Screenshot");
  else
    Log->Status("Screenshot saved: " + name, "QX_SDL, Screenshot");
}

void TDisplay::ShowPaused() {
  SDL_Surface* back = BackBuffer();
  if (!screen_ || !back) return;
  TSurfacePtr still{SDL_ConvertSurface(back, back->format, SDL_SWSURFACE)};
  if (!still) return;
  DimSurface(still.get());
  DrawPausedLabel(still.get());
  Present(still.get());
  SDL_Flip(screen_);
}

void TDisplay::ShowFrame() {
  if (!screen_) return;
  Present(BackBuffer());
  SDL_Flip(screen_);
}

bool TDisplay::HandlePlayerEvent(const SDL_Event& event) {
  if (!presentation_.PlayerKeys) return false;
  if (event.type == SDL_ACTIVEEVENT && (event.active.state & SDL_APPINPUTFOCUS)) {
    // A window that never had the focus is not losing it (a window opened
    // under a bare X server may never get it).
    if (event.active.gain) {
      hadFocus_ = true;
      if (pausedByFocus_) paused_ = pausedByFocus_ = false;
    } else if (hadFocus_ && presentation_.PauseOnFocusLoss && !paused_) {
      paused_ = pausedByFocus_ = true;
    }
    return false;
  }
  if (event.type != SDL_KEYDOWN) return false;
  SDLKey key = event.key.keysym.sym;
  bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
  if (key == SDLK_F11 || (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER))) {
    ToggleFullscreen();
    return true;
  }
  if (key == SDLK_F12) {
    screenshotWanted_ = true;
    return true;
  }
  if (key == SDLK_p) {
    paused_ = !paused_;
    pausedByFocus_ = false;
    return true;
  }
  return false;
}

void TDisplay::MapMouseToFrame(SDL_Event& event) const {
  if (!scaled_) return;
  int x = 0;
  int y = 0;
  if (event.type == SDL_MOUSEMOTION) {
    x = event.motion.x;
    y = event.motion.y;
    ScreenToFrame(layout_, int(width_), int(height_), x, y);
    event.motion.x = Uint16(x);
    event.motion.y = Uint16(y);
    event.motion.xrel = Sint16(event.motion.xrel / layout_.Scale);
    event.motion.yrel = Sint16(event.motion.yrel / layout_.Scale);
  } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    x = event.button.x;
    y = event.button.y;
    ScreenToFrame(layout_, int(width_), int(height_), x, y);
    event.button.x = Uint16(x);
    event.button.y = Uint16(y);
  }
}

}  // namespace zorbin
