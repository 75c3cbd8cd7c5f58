// DemoScript: delivering scripted key events and saving screenshots.
#include "DemoScript.h"

#include "pictures/ImageUnit.h"
#include "pictures/PngWriterUnit.h"
#include "shell/QX_SDL.h"

#include <SDL.h>

#include <cstdio>

namespace zorbin::demo {

TDemoScript::TDemoScript(std::vector<TInputEvent> events, std::vector<TShot> shots, uint32_t maxFrames)
    : events_(std::move(events)), shots_(std::move(shots)), maxFrames_(maxFrames) {}

void TDemoScript::Install() {
  QX_SDL::BeforePollHook = [this] { BeforePoll(); };
  QX_SDL::AfterFlipHook = [this] { AfterFlip(); };
}

void TDemoScript::CloseWindow() {
  SDL_Event quit;
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

void PushKey(int symbol, bool down) {
  SDL_Event e;
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.type = e.type;
  e.key.which = 0;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = 0;
  e.key.keysym.sym = SDLKey(symbol);
  e.key.keysym.mod = KMOD_NONE;
  e.key.keysym.unicode = 0;
  SDL_PushEvent(&e);
}

void TDemoScript::Deliver(const TInputEvent& event) {
  int sym = KeySymbol(event.Key);
  if (sym < 0) {
    std::fprintf(stderr, "zorbin-demo: unknown key \"%s\"\n", event.Key.c_str());
    return;
  }
  PushKey(sym, event.Down);
}

void TDemoScript::BeforePoll() {
  uint32_t frames = QX_SDL::FrameCount();
  bool waiting = frames == framesAtLastPoll_;
  framesAtLastPoll_ = frames;
  if (maxFrames_ > 0 && frames >= maxFrames_) {
    CloseWindow();
    return;
  }
  bool delivered = false;
  while (next_ < events_.size() && events_[next_].Frame <= frames) {
    Deliver(events_[next_++]);
    delivered = true;
  }
  if (!waiting || delivered) return;
  if (next_ < events_.size())
    Deliver(events_[next_++]);
  else
    CloseWindow();
}

void TDemoScript::AfterFlip() {
  for (const TShot& shot : shots_)
    if (shot.Frame == QX_SDL::FrameCount() && QX_SDL::BackImage &&
        !SaveSurfaceFile(QX_SDL::BackImage->Surface, shot.File))
      std::fprintf(stderr, "zorbin-demo: cannot write %s\n", shot.File.c_str());
}

}  // namespace zorbin::demo
