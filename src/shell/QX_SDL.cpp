// QX_SDL: the free functions over the display and the input, the event
// dispatch between them, and the audio start.
#include "shell/QX_SDL.h"

#include "log/Logger.h"
#include "pictures/ImageUnit.h"
#include "shell/BassAudio.h"
#include "shell/ClockUnit.h"
#include "util/ProcessExit.h"
#include "util/Streams.h"

namespace zorbin {
namespace QX_SDL {

bool Keys[TKeyBindings::kKeyCount];

TDisplay& Display() {
  static TDisplay display;
  return display;
}

TInput& Input() {
  static TInput input(Keys);
  return input;
}

static bool gAudioReady = false;

TImage* BackImage() { return Display().BackImage(); }
TImage* ScreenImage() { return Display().ScreenImage(); }
TMouseObjects* MouseObjects() { return Display().MouseObjects(); }
bool AudioReady() { return gAudioReady; }

void SetPresentation(const TPresentation& presentation) { Display().SetPresentation(presentation); }
bool Paused() { return Display().Paused(); }
void ApplyBindings(const TKeyBindings& bindings) { Input().ApplyBindings(bindings); }
void SetKey(int key, bool down) { Input().SetKey(key, down); }
void ClearKeys() { Input().ClearKeys(); }

uint32_t FramePeriod() { return Display().Timer().Period(); }
uint32_t FrameCount() { return Display().Timer().Count(); }
uint32_t RemainingSum() { return Display().Timer().RemainingSum(); }
void RestartSchedule() { Display().Timer().RestartSchedule(); }
void SetFrameRate(uint32_t rate) { Display().Timer().SetFrameRate(rate); }
uint32_t TimeLeft() { return Display().Timer().TimeLeft(); }

void Initialize(uint16_t width, uint16_t height, uint16_t depth, uint32_t options) {
  Display().Open(width, height, depth, options);
  gAudioReady = false;
  Input().ClearKeys();
  SetImageDepth(depth);
  Input().OpenDevices();
  Init_Audio();
}

void Init_Audio() {
  const char* context = "QX_SDL, Init_Audio";
  if ((BASS_GetVersion() >> 16) != 0x0204) {
    Log->Error("An incorrect version of BASS.DLL was loaded", context);
    gAudioReady = false;
    return;
  }
  Log->Status("BASS V2.4 loaded.", context);
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    Log->Error("BASS: Can't initialize device!", context);
    gAudioReady = false;
  } else {
    Log->Status("BASS: Device initialized.", context);
    gAudioReady = true;
  }
}

void Finalize() {
  Display().Close();
  if (gAudioReady) {
    BASS_Free();
    Log->Status("BASS: Shutdown...", "QX_SDL, Finalize");
    gAudioReady = false;
  }
  Input().ForgetDevices();
  SDL_Quit();
  const TFrameTimer& timer = Display().Timer();
  if (timer.Count() > 0)
    Log->Status("QX_SDL: Average ms remaining in each frame: " + std::to_string(timer.RemainingSum() / timer.Count()),
                "QX_SDL, Finalize");
}

static void DispatchEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (Display().HandlePlayerEvent(event)) continue;
    Display().MapMouseToFrame(event);
    if (TMouseObjects* objects = Display().MouseObjects(); objects && objects->HandleEvent(event)) continue;
    if (event.type == SDL_QUIT) {
      SDL_Quit();
      HaltProcess(2);
    }
    Input().HandleDeviceEvent(event);
  }
}

// The last frame, dimmed and labelled, until the player goes on. No frame
// is handed out meanwhile, so the play loop simply waits.
static void WaitWhilePaused() {
  TDisplay& display = Display();
  display.ShowPaused();
  while (display.Paused()) {
    // Not PollEvents: its observers belong to a frame, and no frame passes here.
    DispatchEvents();
    display.ServeScreenshot();
    if (display.Paused()) Clock().Delay(10);
  }
  display.ShowFrame();
}

void Flip() {
  Display().Flip();
  if (Display().Paused() && Display().IsOpen()) WaitWhilePaused();
}

void PollEvents() {
  Input().BeforePoll().Notify();
  DispatchEvents();
}

void PollEventsWithoutFrames() {
  PollEvents();
  Display().ServeScreenshot();
  if (Display().Paused() && Display().IsOpen()) WaitWhilePaused();
}

void Clear(uint8_t r, uint8_t g, uint8_t b) {
  if (TImage* back = BackImage()) back->FillRect(0, 0, int(Display().Width()), int(Display().Height()), r, g, b);
}

void DrawImage(int16_t x, int16_t y, const TImage* image) {
  if (TImage* back = BackImage()) back->Draw(x, y, image);
}

void DrawImagePart(int16_t x, int16_t y, int16_t srcX, int16_t srcY, int16_t w, int16_t h, const TImage* image) {
  if (TImage* back = BackImage()) back->DrawPart(x, y, srcX, srcY, w, h, image);
}

void DrawImageRect(int16_t x, int16_t y, int16_t left, int16_t top, int16_t right, int16_t bottom,
                   const TImage* image) {
  DrawImagePart(x, y, left, top, int16_t(right - left + 1), int16_t(bottom - top + 1), image);
}

std::unique_ptr<TMemoryStream> ImageToGrayStream(const TImage* image) { return zorbin::ImageToGrayStream(image); }

void SetCaption(const std::string& caption) { SDL_WM_SetCaption(caption.c_str(), nullptr); }

}  // namespace QX_SDL
}  // namespace zorbin
