// QX_SDL: the display, frame and input shell as the game calls it. Free
// functions open the window, present frames at a fixed rate, keep the
// keyboard state and initialise audio; they stand on the one display object
// (window, back buffer, presentation, frame pacing) and the one input
// object (key table, bindings, joystick) of the process.
#pragma once

#include "shell/Display.h"
#include "shell/Input.h"
#include "shell/KeyBindings.h"
#include "shell/MouseObjects.h"
#include "shell/Presentation.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

namespace zorbin {

class TImage;
class TMemoryStream;

namespace QX_SDL {

// The shell's own option bit: draw into a back buffer copied on Flip.
constexpr uint32_t kBackBufferOption = 0x04000000;

// The key table, indexed by SDL 1.2 key symbol: true while the key is held.
// The shell's one writable global: the player and the play loops read it
// every frame, and tests press keys by setting it directly. The game
// itself writes it only through the input object (PollEvents, SetKey,
// ClearKeys).
extern bool Keys[TKeyBindings::kKeyCount];

// The one display and the one input of the process. They live as long as
// the process; the display is open from Initialize to Finalize. Their
// observer lists tell of frames (Display().AfterFlip(),
// FullscreenChanged()) and input (Input().BeforePoll(), KeyChange()).
TDisplay& Display();
TInput& Input();

// The image all drawing goes to (see TDisplay::BackImage); nullptr while
// the display is closed and no test image stands in.
TImage* BackImage();
TImage* ScreenImage();
// The clickable screen objects; nullptr while the display is closed.
TMouseObjects* MouseObjects();
// The audio library was initialised.
bool AudioReady();

// How the player wants the frame shown; set before Initialize.
using zorbin::TPresentation;
void SetPresentation(const TPresentation& presentation);
bool Paused();
// Physical keys and joystick input become logical keys through these
// before the key table sees them. Given before Initialize, they decide
// whether it opens the first joystick; given later, the joystick is opened
// or closed to suit.
void ApplyBindings(const TKeyBindings& bindings);
// Sets a logical key as an input event would.
void SetKey(int key, bool down);

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
