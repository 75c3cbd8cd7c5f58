// DemoScript: delivering scripted key events and saving screenshots.
#include "DemoScript.h"

#include "pictures/ImageUnit.h"
#include "pictures/PngWriterUnit.h"
#include "shell/QX_SDL.h"

#include <SDL.h>

#include <cstdio>

namespace zorbin::demo {

TDemoScript::TDemoScript(std::vector<TInputEvent> events, std::vector<TShot> shots, std::optional<uint32_t> maxFrames)
    : events_(std::move(events)), shots_(std::move(shots)), maxFrames_(maxFrames) {}

void TDemoScript::Install(bool deliverEvents) {
  if (deliverEvents) beforePoll_ = QX_SDL::Input().BeforePoll().Add([this] { BeforePoll(); });
  afterFlip_ = QX_SDL::Display().AfterFlip().Add([this] { AfterFlip(); });
}

void TDemoScript::CloseWindow() {
  SDL_Event quit;
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

// The modifier bit of a modifier key; 0 for other keys.
static uint16_t ModifierBit(int sym) {
  switch (sym) {
    case SDLK_LSHIFT: return KMOD_LSHIFT;
    case SDLK_RSHIFT: return KMOD_RSHIFT;
    case SDLK_LCTRL: return KMOD_LCTRL;
    case SDLK_RCTRL: return KMOD_RCTRL;
    case SDLK_LALT: return KMOD_LALT;
    case SDLK_RALT: return KMOD_RALT;
    default: return 0;
  }
}

void PushKey(int symbol, bool down, uint16_t modifiers) {
  SDL_Event e;
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.type = e.type;
  e.key.which = 0;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = 0;
  e.key.keysym.sym = SDLKey(symbol);
  e.key.keysym.mod = SDLMod(modifiers);
  e.key.keysym.unicode = 0;
  SDL_PushEvent(&e);
}

void TDemoScript::Deliver(const TInputEvent& event) {
  if (event.Kind == TInputKind::Key)
    DeliverKey(event);
  else
    DeliverPointer(event);
}

void TDemoScript::DeliverKey(const TInputEvent& event) {
  // A modifier's own event already carries its new state, as SDL's do.
  if (event.Down)
    modifiers_ |= ModifierBit(event.Symbol);
  else
    modifiers_ &= uint16_t(~ModifierBit(event.Symbol));
  PushKey(event.Symbol, event.Down, modifiers_);
}

void TDemoScript::DeliverPointer(const TInputEvent& event) {
  SDL_Event e;
  if (event.Kind == TInputKind::MouseMotion) {
    e.type = SDL_MOUSEMOTION;
    e.motion.type = e.type;
    e.motion.which = 0;
    e.motion.state = 0;
    e.motion.x = Uint16(event.X);
    e.motion.y = Uint16(event.Y);
    e.motion.xrel = 0;
    e.motion.yrel = 0;
  } else {
    e.type = event.Down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.type = e.type;
    e.button.which = 0;
    e.button.button = event.Button == TMouseButton::Left ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
    e.button.state = event.Down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = Uint16(event.X);
    e.button.y = Uint16(event.Y);
  }
  SDL_PushEvent(&e);
}

// Whether the run has played its frames: --max-frames when given, else
// kFramesAfterInput once the input is over. Nobody asked for the second
// end, so it is told.
bool TDemoScript::OutOfFrames(uint32_t frames) const {
  if (maxFrames_) return frames >= *maxFrames_;
  if (next_ < events_.size() || frames - inputOverAt_ < kFramesAfterInput) return false;
  if (events_.empty())
    std::fprintf(stderr, "zorbin-demo: no input; closing the window at frame %u (--max-frames sets another limit)\n",
                 frames);
  else
    std::fprintf(stderr,
                 "zorbin-demo: input over at frame %u; closing the window %u frames later, at frame %u "
                 "(--max-frames sets another limit)\n",
                 inputOverAt_, frames - inputOverAt_, frames);
  return true;
}

void TDemoScript::BeforePoll() {
  uint32_t frames = QX_SDL::FrameCount();
  bool waiting = frames == framesAtLastPoll_;
  framesAtLastPoll_ = frames;
  if (OutOfFrames(frames)) {
    CloseWindow();
    return;
  }
  bool delivered = false;
  while (next_ < events_.size() && events_[next_].Frame <= frames) {
    Deliver(events_[next_++]);
    delivered = true;
  }
  if (waiting && !delivered) {
    if (next_ == events_.size()) {
      CloseWindow();
      return;
    }
    Deliver(events_[next_++]);
    delivered = true;
  }
  if (delivered && next_ == events_.size()) inputOverAt_ = frames;
}

void TDemoScript::AfterFlip() {
  for (const TShot& shot : shots_)
    if (shot.Frame == QX_SDL::FrameCount() && QX_SDL::BackImage() &&
        !SaveSurfaceFile(QX_SDL::BackImage()->Surface, shot.File))
      std::fprintf(stderr, "zorbin-demo: cannot write %s\n", shot.File.c_str());
}

void TDemoScript::Finish(uint32_t lastFrame) const {
  for (const TShot& shot : shots_)
    if (shot.Frame > lastFrame)
      std::fprintf(stderr,
                   "zorbin-demo: --shot frame %u was never reached (the run ended at frame %u): no %s written\n",
                   shot.Frame, lastFrame, shot.File.c_str());
}

}  // namespace zorbin::demo
