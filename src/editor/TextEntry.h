// TextEntry: a line of text typed in the editor's status area: the map's
// name and author, a wrap's value, a key of an object. Keys come as the
// display gives them; without a character of their own (a scripted run)
// the character is read from the key and the Shift key.
#pragma once

#include <SDL.h>

#include <string>

namespace zorbin {

class TTextEntry final {
 public:
  enum class TResult { Typing, Done, Cancelled };

  // digits: only 0-9 are taken.
  void Start(const std::string& prompt, const std::string& text, size_t maxLength, bool digits = false);
  bool Active() const { return active_; }
  // Enter ends the entry (Done), Escape drops it (Cancelled); Backspace
  // takes the last character; a printable character is added. The first
  // character typed replaces the text the entry started with, as a chosen
  // field's text is replaced.
  TResult Key(const SDL_keysym& key);
  const std::string& Prompt() const { return prompt_; }
  const std::string& Text() const { return text_; }
  // The prompt, the text and a cursor.
  std::string Line() const { return prompt_ + text_ + "_"; }

 private:
  bool active_ = false;
  bool digits_ = false;
  bool untouched_ = false;  // the text is still the one it started with
  size_t maxLength_ = 0;
  std::string prompt_;
  std::string text_;
};

// The printable character (32-126) a key types, or 0.
char TypedCharacter(const SDL_keysym& key);

}  // namespace zorbin
