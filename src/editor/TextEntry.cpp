// TextEntry: typing a line, and the character of a key.
#include "editor/TextEntry.h"

namespace zorbin {

void TTextEntry::Start(const std::string& prompt, const std::string& text, size_t maxLength, bool digits) {
  active_ = true;
  digits_ = digits;
  maxLength_ = maxLength;
  prompt_ = prompt;
  text_ = text.substr(0, maxLength);
  untouched_ = true;
}

TTextEntry::TResult TTextEntry::Key(const SDL_keysym& key) {
  if (key.sym == SDLK_ESCAPE) {
    active_ = false;
    return TResult::Cancelled;
  }
  if (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) {
    active_ = false;
    return TResult::Done;
  }
  if (key.sym == SDLK_BACKSPACE) {
    if (!text_.empty()) text_.pop_back();
    untouched_ = false;
    return TResult::Typing;
  }
  char c = TypedCharacter(key);
  if (!c || (digits_ && (c < '0' || c > '9'))) return TResult::Typing;
  if (untouched_) text_.clear();
  untouched_ = false;
  if (text_.size() < maxLength_) text_ += c;
  return TResult::Typing;
}

char TypedCharacter(const SDL_keysym& key) {
  if (key.unicode >= 32 && key.unicode < 127) return char(key.unicode);
  if (key.unicode != 0) return 0;
  bool shift = key.mod & KMOD_SHIFT;
  int sym = key.sym;
  if (sym >= SDLK_KP0 && sym <= SDLK_KP9) return char('0' + (sym - SDLK_KP0));
  if (sym >= SDLK_a && sym <= SDLK_z) return char(shift ? sym - 32 : sym);
  // The shifted characters of a US keyboard.
  static const char kPlain[] = "1234567890-=[];',./\\`";
  static const char kShifted[] = "!@#$%^&*()_+{}:\"<>?|~";
  for (size_t i = 0; kPlain[i]; ++i)
    if (sym == uint8_t(kPlain[i])) return shift ? kShifted[i] : kPlain[i];
  return sym == SDLK_SPACE ? ' ' : 0;
}

}  // namespace zorbin
