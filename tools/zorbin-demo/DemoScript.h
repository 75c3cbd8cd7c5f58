// DemoScript: the scripted input and screenshots of a headless run. Events
// are key and pointer lines; each is delivered by the first poll after
// frame FRAME was presented. While the game polls without presenting frames
// (waiting for a key) the next event is delivered at once, one per poll;
// when the script is used up there, the window is closed. A run never
// plays on without end: the window closes after --max-frames, or without
// it kFramesAfterInput frames after the last event.
#pragma once

#include "shell/InputScript.h"
#include "shell/Observers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorbin::demo {

// The frames a run plays on once its input is over (from frame 0 for a run
// without input) when --max-frames sets no cap.
constexpr uint32_t kFramesAfterInput = 6000;

// Delivers a key going down or up as an ordinary SDL key event with the
// modifier state given, to be taken by the next poll.
void PushKey(int symbol, bool down, uint16_t modifiers = 0);

struct TShot {
  uint32_t Frame = 0;
  std::string File;
};

class TDemoScript {
 public:
  // maxFrames: the frame after which the window is closed, when given.
  TDemoScript(std::vector<TInputEvent> events, std::vector<TShot> shots, std::optional<uint32_t> maxFrames);
  // Watches the presented frames for the shots and, with deliverEvents,
  // delivers the events before each poll. Without it (the monkey plays)
  // the script neither delivers nor closes the window.
  void Install(bool deliverEvents);
  // Names on standard error every shot the run ended before.
  void Finish(uint32_t lastFrame) const;

 private:
  void BeforePoll();
  void AfterFlip();
  void Deliver(const TInputEvent& event);
  void DeliverKey(const TInputEvent& event);
  static void DeliverPointer(const TInputEvent& event);
  static void CloseWindow();
  bool OutOfFrames(uint32_t frames) const;

  std::vector<TInputEvent> events_;
  std::vector<TShot> shots_;
  std::optional<uint32_t> maxFrames_;
  size_t next_ = 0;
  uint32_t inputOverAt_ = 0;  // the frame count when the last event was delivered
  uint32_t framesAtLastPoll_ = UINT32_MAX;
  // The modifier keys the script holds down, as SDL's modifier bits; every
  // key event carries them, as a keyboard's would.
  uint16_t modifiers_ = 0;
  TSubscription beforePoll_;
  TSubscription afterFlip_;
};

}  // namespace zorbin::demo
