// InputScript: the text form of key input that headless runs play and that
// recordings are written in. One event a line, "FRAME KEY down|up", KEY being
// a key name as SDL gives it (see KeyNames) or a key number; the pointer as
// "FRAME mouse X Y down|up left|right" and "FRAME motion X Y" in frame
// pixels; "#" starts a comment. A recording's first line names the seed it
// was played with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zorbin {

enum class TInputKind : uint8_t { Key, MouseButton, MouseMotion };
enum class TMouseButton : uint8_t { Left, Right };

// The frame the pointer's positions are given in.
constexpr int kPointerWidth = 640;
constexpr int kPointerHeight = 480;

struct TInputEvent {
  uint32_t Frame = 0;
  TInputKind Kind = TInputKind::Key;
  int Symbol = 0;    // the SDL key symbol of a Key event
  bool Down = true;  // a key's or a button's
  int X = 0;         // the pointer's position, for MouseButton and MouseMotion
  int Y = 0;
  TMouseButton Button = TMouseButton::Left;
};

struct TInputScript {
  std::vector<TInputEvent> Events;
  std::optional<uint32_t> Seed;  // from a recording's first line
};

extern const char* const kRecordingHeader;  // followed by the seed

// Parses the text of the file fileName. A malformed line (an unknown key
// among them) fails the whole script, with error "FILE:LINE: expected ...",
// so nothing plays from it.
bool ParseInputScript(const std::string& text, const std::string& fileName, TInputScript& script, std::string& error);
bool ReadInputScript(const std::string& fileName, TInputScript& script, std::string& error);

// The SDL key symbol for a name (in any letter case) or number; -1 when
// unknown.
int KeySymbol(const std::string& key);
// The text KeySymbol reads back as symbol: its name where that is one word
// and unambiguous, its number otherwise.
std::string KeyText(int symbol);

// Writes the key changes of a run as a script that plays it again.
class TInputRecorder {
 public:
  TInputRecorder() = default;
  ~TInputRecorder();
  TInputRecorder(const TInputRecorder&) = delete;
  TInputRecorder& operator=(const TInputRecorder&) = delete;

  bool Open(const std::string& fileName, std::string& error);
  // The seed line comes first, written when the seed in use is known: at
  // the first event or at Finish. Every line is flushed, so a run that
  // ends abruptly keeps what it played.
  void Record(uint32_t frame, int symbol, bool down);
  void Finish();

 private:
  void WriteHeader();
  std::FILE* file_ = nullptr;
  bool headerWritten_ = false;
};

}  // namespace zorbin
