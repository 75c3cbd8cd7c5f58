// DemoScript: the scripted input and screenshots of a headless run. Events
// are "FRAME KEY down|up" lines; each is delivered by the first poll after
// frame FRAME was presented. While the game polls without presenting frames
// (waiting for a key) the next event is delivered at once, one per poll;
// when the script is used up there, the window is closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin::demo {

struct TScriptEvent {
  uint32_t Frame = 0;
  std::string Key;  // a key name as SDL gives it, or a key number
  bool Down = true;
};

struct TShot {
  uint32_t Frame = 0;
  std::string File;
};

// Parses the script text; on a malformed line returns false with error set.
bool ParseScript(const std::string& text, std::vector<TScriptEvent>& events, std::string& error);
// The SDL key symbol for a name or number; -1 when unknown. Needs SDL's video started.
int KeySymbol(const std::string& key);

class TDemoScript {
 public:
  TDemoScript(std::vector<TScriptEvent> events, std::vector<TShot> shots, uint32_t maxFrames);
  // Installs the shell hooks.
  void Install();

 private:
  void BeforePoll();
  void AfterFlip();
  void Deliver(const TScriptEvent& event);
  static void CloseWindow();

  std::vector<TScriptEvent> events_;
  std::vector<TShot> shots_;
  uint32_t maxFrames_;
  size_t next_ = 0;
  uint32_t framesAtLastPoll_ = UINT32_MAX;
};

}  // namespace zorbin::demo
