// QX_SDL: window, back buffer, frame pacing, keyboard state, audio start.
#include "shell/QX_SDL.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "pictures/SurfaceCopy.h"
#include "shell/BassAudio.h"
#include "shell/ClockUnit.h"
#include "shell/Presentation.h"
#include "shell/Screenshot.h"
#include "shell/WebPage.h"
#include "util/ProcessExit.h"
#include "util/Streams.h"

#include <cstdlib>
#include <cstring>

namespace zorbin {

void TMouseObjects::Add(std::unique_ptr<TMouseObject> object) { objects_.push_back(std::move(object)); }

void TMouseObjects::PushBase() {
  savedBases_.push_back(base_);
  base_ = uint16_t(objects_.size());
}

void TMouseObjects::PopBase() {
  if (savedBases_.empty()) return;
  base_ = savedBases_.back();
  savedBases_.pop_back();
}

bool TMouseObjects::HandleEvent(const SDL_Event& event) {
  bool handled = false;
  int i = int(objects_.size()) - 1;
  for (; i >= int(base_) && !handled; --i) handled = objects_[size_t(i)]->HandleEvent(event);
  if (handled) {
    ++i;  // the loop stepped past the consuming object
    Log->Trace("Event handled by object number " + std::to_string(i) + " (" + objects_[size_t(i)]->Name + ")");
  } else {
    Log->Trace("Event not handled by any objects.");
  }
  return handled;
}

namespace QX_SDL {

SDL_Surface* Screen = nullptr;
SDL_Surface* BackBuffer = nullptr;
TImage* ScreenImage = nullptr;
TImage* BackImage = nullptr;
uint32_t Width = 0;
uint32_t Height = 0;
uint32_t Depth = 0;
bool Keys[512];
TMouseObjects* MouseObjects = nullptr;
bool AudioReady = false;
std::function<void()> AfterFlipHook;
std::function<void()> BeforePollHook;
std::function<void(int key, bool down)> KeyChangeHook;
TKeyBindings Bindings;
bool OnlyQuitFromDevices = false;

static TJoystickKeys gJoystickKeys;
static SDL_Joystick* gJoystick = nullptr;

// Without a joystick the subsystem is closed again, silently: the game
// then runs exactly as without joystick support.
static void OpenJoystick() {
  gJoystickKeys = TJoystickKeys();
  if (!Bindings.JoystickEnabled || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  if (SDL_NumJoysticks() > 0) gJoystick = SDL_JoystickOpen(0);
  if (gJoystick)
    SDL_JoystickEventState(SDL_ENABLE);
  else
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void ApplyBindings(const TKeyBindings& bindings) {
  Bindings = bindings;
  if (!Screen || Bindings.JoystickEnabled == (gJoystick != nullptr)) return;
  if (gJoystick) {
    SDL_JoystickClose(gJoystick);
    gJoystick = nullptr;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  } else {
    OpenJoystick();
  }
}
std::function<void(bool)> FullscreenChangedHook;

// The player's presentation, the desktop's size before the first mode was
// set, where the frame lies on the screen (scaled only when it is not 1:1
// at the origin), and the player's requests waiting for the next Flip.
static TPresentation gPresentation;
static uint32_t gVideoOptions = 0;
static int gDesktopWidth = 0;
static int gDesktopHeight = 0;
static TLayout gLayout;
static bool gScaled = false;
static bool gFullscreen = false;
static bool gHadFocus = false;
static bool gPaused = false;
static bool gPausedByFocus = false;
static bool gScreenshotWanted = false;

void SetPresentation(const TPresentation& presentation) { gPresentation = presentation; }
bool Paused() { return gPaused; }

// Frame timing: the period (25 ms until SetFrameRate), the tick at which the
// current frame may be presented, the frames presented and the ms left
// before the deadlines, summed.
static uint32_t gFramePeriod = 25;
static uint32_t gNextDeadline = 0;
static uint32_t gFrameCount = 0;
static uint32_t gRemainingSum = 0;

uint32_t FramePeriod() { return gFramePeriod; }
uint32_t FrameCount() { return gFrameCount; }
uint32_t RemainingSum() { return gRemainingSum; }
void RestartSchedule() { gNextDeadline = 0; }

static const char* kInitContext = "QX_SDL, Initialize";

static TLayout ChosenLayout(bool fullscreen) {
  if (fullscreen) return FullscreenLayout(gDesktopWidth, gDesktopHeight, int(Width), int(Height));
  int scale =
      gPresentation.Scale > 0 ? gPresentation.Scale : AutoScale(gDesktopWidth, gDesktopHeight, int(Width), int(Height));
  return WindowLayout(scale, int(Width), int(Height));
}

// Sets the mode for layout; the screen starts black around the frame.
static SDL_Surface* SetMode(const TLayout& layout, bool fullscreen) {
  SDL_Surface* screen = SDL_SetVideoMode(layout.ScreenWidth, layout.ScreenHeight, int(Depth),
                                         gVideoOptions | (fullscreen ? SDL_FULLSCREEN : 0u));
  gScaled = fullscreen || layout.Scale != 1 || layout.OffsetX != 0 || layout.OffsetY != 0;
  if (screen && gScaled) SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  return screen;
}

// Shows frame on the screen: 1:1 the way it always was, or scaled.
static void Present(SDL_Surface* frame) {
  if (!Screen || !frame) return;
  if (!gScaled) {
    if (BlitSurface(frame, nullptr, Screen, nullptr) != 0) Log->Warning("Flip Blit failed...", "QX_SDL, Flip");
    return;
  }
  if (PresentScaled(frame, Screen, gLayout)) return;
  // A screen of another pixel format gets the frame converted first.
  if (SDL_Surface* converted = SDL_ConvertSurface(frame, Screen->format, SDL_SWSURFACE)) {
    PresentScaled(converted, Screen, gLayout);
    SDL_FreeSurface(converted);
  }
}

static void ToggleFullscreen() {
  bool fullscreen = !gFullscreen;
  TLayout layout = ChosenLayout(fullscreen);
  SDL_Surface* screen = SetMode(layout, fullscreen);
  if (!screen) {
    Log->Warning(std::string("Could not switch fullscreen: ") + SDL_GetError(), "QX_SDL, ToggleFullscreen");
    Screen = SetMode(gLayout, gFullscreen);
    if (ScreenImage) ScreenImage->SetSurface(Screen, false);
    if (!Screen) HaltProcess(1);
    return;
  }
  Screen = screen;
  if (ScreenImage) ScreenImage->SetSurface(Screen, false);
  gLayout = layout;
  gFullscreen = fullscreen;
  Present(BackBuffer);
  SDL_Flip(Screen);
  if (FullscreenChangedHook) FullscreenChangedHook(fullscreen);
}

static void TakeScreenshot() {
  gScreenshotWanted = false;
  std::string name = SaveScreenshot(BackBuffer, ScreenshotFolder());
  if (name.empty())
    Log->Warning("Screenshot could not be saved in " + ScreenshotFolder(), "QX_SDL, Screenshot");
  else
    Log->Status("Screenshot saved: " + name, "QX_SDL, Screenshot");
}

// The last frame, dimmed and labelled, until the player goes on. No frame
// is handed out meanwhile, so the play loop simply waits.
static void DispatchEvents();

static void WaitWhilePaused() {
  SDL_Surface* still = SDL_ConvertSurface(BackBuffer, BackBuffer->format, SDL_SWSURFACE);
  if (still) {
    DimSurface(still);
    DrawPausedLabel(still);
    Present(still);
    SDL_Flip(Screen);
  }
  while (gPaused) {
    // Not PollEvents: its hook belongs to a frame, and no frame passes here.
    DispatchEvents();
    if (gScreenshotWanted) TakeScreenshot();
    if (gPaused) Clock().Delay(10);
  }
  if (still) SDL_FreeSurface(still);
  Present(BackBuffer);
  SDL_Flip(Screen);
}

// The player's own keys and the window's focus; true when the event is
// used up here.
static bool HandlePlayerEvent(const SDL_Event& event) {
  if (!gPresentation.PlayerKeys) return false;
  if (event.type == SDL_ACTIVEEVENT && (event.active.state & SDL_APPINPUTFOCUS)) {
    // A window that never had the focus is not losing it (a window opened
    // under a bare X server may never get it).
    if (event.active.gain) {
      gHadFocus = true;
      if (gPausedByFocus) gPaused = gPausedByFocus = false;
    } else if (gHadFocus && gPresentation.PauseOnFocusLoss && !gPaused) {
      gPaused = gPausedByFocus = true;
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
    gScreenshotWanted = true;
    return true;
  }
  if (key == SDLK_p) {
    gPaused = !gPaused;
    gPausedByFocus = false;
    return true;
  }
  return false;
}

// Left to itself, SDL without a display falls back to drawing the game as
// coloured letters in the terminal, which nobody can play. Unless a driver
// is asked for by name, only drivers of real displays are tried, in SDL's
// own order. Returns "" or why no display could be opened.
static std::string InitVideo() {
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

void Initialize(uint16_t width, uint16_t height, uint16_t depth, uint32_t options) {
#ifdef __EMSCRIPTEN__
  UseWebDrivers();
#endif
  if (std::string why = InitVideo(); !why.empty()) {
    Log->Error("Could not initialize SDL : " + why, kInitContext);
    SDL_Quit();
    HaltProcess(1);
  }
  Width = width;
  Height = height;
  Depth = depth;
  gVideoOptions = options;
  gFullscreen = gPresentation.Fullscreen;
  gHadFocus = gPaused = gPausedByFocus = gScreenshotWanted = false;
  if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) {
    gDesktopWidth = info->current_w;
    gDesktopHeight = info->current_h;
  }
  gLayout = ChosenLayout(gFullscreen);
  Screen = SetMode(gLayout, gFullscreen);
  if (!Screen) {
    Log->Error("Couldn't set " + std::to_string(gLayout.ScreenWidth) + "x" + std::to_string(gLayout.ScreenHeight) +
                   "x" + std::to_string(depth) + " video mode : " + SDL_GetError(),
               kInitContext);
    SDL_Quit();
    HaltProcess(1);
  }
  ScreenImage = new TImage();
  ScreenImage->SetSurface(Screen, false);
  BackBuffer = SDL_CreateRGBSurface(SDL_SWSURFACE, Width, Height, depth, 0, 0, 0, 0);
  if (!BackBuffer) {
    Log->Error(std::string("Couldn't create secondary surface: ") + SDL_GetError(), kInitContext);
    delete ScreenImage;
    ScreenImage = nullptr;
    Screen = nullptr;
    SDL_Quit();
    HaltProcess(1);
  }
  BackImage = new TImage();
  BackImage->SetSurface(BackBuffer, true);
  MouseObjects = new TMouseObjects();
  AudioReady = false;
  SDL_WM_SetCaption("KROMBEL SDL Application", nullptr);
  gFrameCount = 0;
  gRemainingSum = 0;
  std::memset(Keys, 0, sizeof Keys);
  SetImageDepth(depth);
  OpenJoystick();
  Init_Audio();
}

void Init_Audio() {
  const char* context = "QX_SDL, Init_Audio";
  if ((BASS_GetVersion() >> 16) != 0x0204) {
    Log->Error("An incorrect version of BASS.DLL was loaded", context);
    AudioReady = false;
    return;
  }
  Log->Status("BASS V2.4 loaded.", context);
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    Log->Error("BASS: Can't initialize device!", context);
    AudioReady = false;
  } else {
    Log->Status("BASS: Device initialized.", context);
    AudioReady = true;
  }
}

void Finalize() {
  delete ScreenImage;
  ScreenImage = nullptr;
  delete BackImage;
  BackImage = nullptr;
  Screen = nullptr;
  BackBuffer = nullptr;
  if (AudioReady) {
    BASS_Free();
    Log->Status("BASS: Shutdown...", "QX_SDL, Finalize");
    AudioReady = false;
  }
  gJoystick = nullptr;  // SDL_Quit closes it
  SDL_Quit();
  delete MouseObjects;
  MouseObjects = nullptr;
  if (gFrameCount > 0)
    Log->Status("QX_SDL: Average ms remaining in each frame: " + std::to_string(gRemainingSum / gFrameCount),
                "QX_SDL, Finalize");
}

void SetFrameRate(uint32_t rate) {
  if (rate > 0) gFramePeriod = 1000 / rate;
}

uint32_t TimeLeft() {
  uint32_t now = Clock().Ticks();
  // The tick count wraps after 49.7 days: a deadline further ahead than one
  // frame period is one from before the wrap and starts a new period.
  if (gNextDeadline > now && gNextDeadline - now <= gFramePeriod) return gNextDeadline - now;
#ifdef __EMSCRIPTEN__
  // The browser's timers wake a millisecond or two late; counting from the
  // missed deadline keeps 100 frames a second. A frame later than a whole
  // period still starts a new schedule.
  if (gNextDeadline != 0 && now - gNextDeadline < gFramePeriod) {
    gNextDeadline += gFramePeriod;
    return 0;
  }
#endif
  gNextDeadline = now + gFramePeriod;
  return 0;
}

void Flip() {
  if (BackBuffer) Present(BackBuffer);
  if (gScreenshotWanted) TakeScreenshot();
  gRemainingSum += TimeLeft();
  for (uint32_t left = TimeLeft(); left > 0; left = TimeLeft()) Clock().Delay(left);
  if (Screen) SDL_Flip(Screen);
#ifdef __EMSCRIPTEN__
  ShowOnPage(Screen);
#endif
  gFrameCount += 1;
  if (AfterFlipHook) AfterFlipHook();
  if (gPaused && Screen && BackBuffer) WaitWhilePaused();
}

// Mouse positions on a scaled screen are given in frame pixels.
static void MapMouseToFrame(SDL_Event& event) {
  int x = 0;
  int y = 0;
  if (event.type == SDL_MOUSEMOTION) {
    x = event.motion.x;
    y = event.motion.y;
    ScreenToFrame(gLayout, int(Width), int(Height), x, y);
    event.motion.x = Uint16(x);
    event.motion.y = Uint16(y);
    event.motion.xrel = Sint16(event.motion.xrel / gLayout.Scale);
    event.motion.yrel = Sint16(event.motion.yrel / gLayout.Scale);
  } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    x = event.button.x;
    y = event.button.y;
    ScreenToFrame(gLayout, int(Width), int(Height), x, y);
    event.button.x = Uint16(x);
    event.button.y = Uint16(y);
  }
}

void PollEvents() {
  if (BeforePollHook) BeforePollHook();
  DispatchEvents();
}

void PollEventsWithoutFrames() {
  PollEvents();
  if (gScreenshotWanted) TakeScreenshot();
  if (gPaused && Screen && BackBuffer) WaitWhilePaused();
}

static void DispatchEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (HandlePlayerEvent(event)) continue;
    if (gScaled) MapMouseToFrame(event);
    if (MouseObjects && MouseObjects->HandleEvent(event)) continue;
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        int key = Bindings.Translate(int(event.key.keysym.sym));
        if (key != TKeyBindings::kNoKey && (!OnlyQuitFromDevices || key == SDLK_ESCAPE))
          SetKey(key, event.type == SDL_KEYDOWN);
        break;
      }
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
      case SDL_JOYHATMOTION:
      case SDL_JOYAXISMOTION: {
        std::vector<TKeyChange> changes;
        gJoystickKeys.Translate(event, Bindings, changes);
        for (const TKeyChange& change : changes)
          if (!OnlyQuitFromDevices || change.first == SDLK_ESCAPE) SetKey(change.first, change.second);
        break;
      }
      case SDL_QUIT: SDL_Quit(); HaltProcess(2);
      default: break;
    }
  }
}

void SetKey(int key, bool down) {
  if (key < 0 || key >= TKeyBindings::kKeyCount) return;
  Keys[key] = down;
  if (KeyChangeHook) KeyChangeHook(key, down);
}

void ClearKeys() { std::memset(Keys, 0, sizeof Keys); }

void Clear(uint8_t r, uint8_t g, uint8_t b) {
  if (BackImage) BackImage->FillRect(0, 0, int(Width), int(Height), r, g, b);
}

void DrawImage(int16_t x, int16_t y, const TImage* image) {
  if (BackImage) BackImage->Draw(x, y, image);
}

void DrawImagePart(int16_t x, int16_t y, int16_t srcX, int16_t srcY, int16_t w, int16_t h, const TImage* image) {
  if (BackImage) BackImage->DrawPart(x, y, srcX, srcY, w, h, image);
}

void DrawImageRect(int16_t x, int16_t y, int16_t left, int16_t top, int16_t right, int16_t bottom,
                   const TImage* image) {
  DrawImagePart(x, y, left, top, int16_t(right - left + 1), int16_t(bottom - top + 1), image);
}

std::unique_ptr<TMemoryStream> ImageToGrayStream(const TImage* image) { return zorbin::ImageToGrayStream(image); }

void SetCaption(const std::string& caption) { SDL_WM_SetCaption(caption.c_str(), nullptr); }

}  // namespace QX_SDL
}  // namespace zorbin
