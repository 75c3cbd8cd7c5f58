// QX_SDL: window, back buffer, frame pacing, keyboard state, audio start.
#include "shell/QX_SDL.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/BassAudio.h"
#include "shell/ClockUnit.h"
#include "util/ProcessExit.h"
#include "util/Streams.h"

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

void Initialize(uint16_t width, uint16_t height, uint16_t depth, uint32_t options) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    Log->Error(std::string("Could not initialize SDL : ") + SDL_GetError(), kInitContext);
    SDL_Quit();
    HaltProcess(1);
  }
  Width = width;
  Height = height;
  Depth = depth;
  Screen = SDL_SetVideoMode(width, height, depth, options);
  if (!Screen) {
    Log->Error("Couldn't set " + std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth) +
                   " video mode : " + SDL_GetError(),
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
  gNextDeadline = now + gFramePeriod;
  return 0;
}

void Flip() {
  if (Screen && BackBuffer && SDL_UpperBlit(BackBuffer, nullptr, Screen, nullptr) != 0)
    Log->Warning("Flip Blit failed...", "QX_SDL, Flip");
  gRemainingSum += TimeLeft();
  for (uint32_t left = TimeLeft(); left > 0; left = TimeLeft()) Clock().Delay(left);
  if (Screen) SDL_Flip(Screen);
  gFrameCount += 1;
  if (AfterFlipHook) AfterFlipHook();
}

void PollEvents() {
  if (BeforePollHook) BeforePollHook();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
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
