// QX_SDL: the display, frame and input shell. It opens the window, owns the
// screen surface and the back buffer all drawing goes to, presents frames
// at a fixed rate, keeps the keyboard state, dispatches events to clickable
// screen objects and initialises audio. One display per process.
#pragma once

#include "shell/KeyBindings.h"

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TImage;
class TMemoryStream;

// A clickable screen region; the game itself registers none.
class TMouseObject {
 public:
  explicit TMouseObject(std::string name) : Name(std::move(name)) {}
  virtual ~TMouseObject() = default;
  virtual bool HandleEvent(const SDL_Event& event) = 0;
  std::string Name;
};

class TMouseObjects final {
 public:
  void Add(std::unique_ptr<TMouseObject> object);
  // Objects below the base index receive no events.
  void PushBase();
  void PopBase();
  bool HandleEvent(const SDL_Event& event);
  int Count() const { return int(objects_.size()); }

 private:
  std::vector<std::unique_ptr<TMouseObject>> objects_;
  std::vector<uint16_t> savedBases_;
  uint16_t base_ = 0;
};

namespace QX_SDL {

// The shell's own option bit: draw into a back buffer copied on Flip.
constexpr uint32_t kBackBufferOption = 0x04000000;

extern SDL_Surface* Screen;
extern SDL_Surface* BackBuffer;
extern TImage* ScreenImage;
extern TImage* BackImage;
extern uint32_t Width;
extern uint32_t Height;
extern uint32_t Depth;
extern bool Keys[512];
extern TMouseObjects* MouseObjects;
extern bool AudioReady;

// Hooks for headless runs: after every presented frame, before every poll.
extern std::function<void()> AfterFlipHook;
extern std::function<void()> BeforePollHook;
// Called for every logical key event that reaches the key table.
extern std::function<void(int key, bool down)> KeyChangeHook;

// Physical keys and joystick input become logical keys through these
// before the key table sees them. Set before Initialize: it opens the
// first joystick only when the bindings enable one and one is present.
extern TKeyBindings Bindings;
// While a recording plays, the keyboard and joystick reach only the Quit key.
extern bool OnlyQuitFromDevices;
// New bindings once the display is up; opens or closes the joystick to suit.
void ApplyBindings(const TKeyBindings& bindings);
// Sets a logical key as an input event would.
void SetKey(int key, bool down);

// How the player wants the frame shown; set before Initialize. The default
// shows the frame 1:1 in a window of its size, without player keys.
struct TPresentation {
  int Scale = 1;  // 0 picks the largest that fits the desktop
  bool Fullscreen = false;
  // Alt+Enter and F11 (fullscreen), F12 (screenshot), P (pause).
  bool PlayerKeys = false;
  // With PlayerKeys: losing the window's focus, after having had it, pauses.
  bool PauseOnFocusLoss = true;
};
void SetPresentation(const TPresentation& presentation);
// Called with the new state after the player toggled fullscreen.
extern std::function<void(bool)> FullscreenChangedHook;
bool Paused();

void Initialize(uint16_t width, uint16_t height, uint16_t depth, uint32_t options);
void Finalize();
void SetFrameRate(uint32_t rate);
uint32_t TimeLeft();
void Flip();
// The frame timing, kept by SetFrameRate, TimeLeft and Flip: the period in
// ms, the frames presented, and the sum of the ms left before each deadline.
uint32_t FramePeriod();
uint32_t FrameCount();
uint32_t RemainingSum();
// Forgets the deadline, as at load: the next TimeLeft starts a new schedule.
void RestartSchedule();
void PollEvents();
// PollEvents for a wait that presents no frames (a title card): the
// player's screenshot and pause, which otherwise wait for the next Flip,
// are served at once.
void PollEventsWithoutFrames();
void ClearKeys();
void Clear(uint8_t r, uint8_t g, uint8_t b);
void DrawImage(int16_t x, int16_t y, const TImage* image);
void DrawImagePart(int16_t x, int16_t y, int16_t srcX, int16_t srcY, int16_t w, int16_t h, const TImage* image);
void DrawImageRect(int16_t x, int16_t y, int16_t left, int16_t top, int16_t right, int16_t bottom, const TImage* image);
// The grey map the font loader builds glyph masks from (see ImageUnit).
std::unique_ptr<TMemoryStream> ImageToGrayStream(const TImage* image);
void Init_Audio();
void SetCaption(const std::string& caption);

}  // namespace QX_SDL
}  // namespace zorbin
