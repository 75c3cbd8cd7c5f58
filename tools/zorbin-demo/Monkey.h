// Monkey: random but plausible play for long unattended runs. It walks both
// ways for random spans, stands still, taps Space (on ports and off them),
// holds Tab, taps q, and now and then steers the figure to a port it can
// see and presses Space there; it starts every map at its title card with
// Space. It never presses Escape. Its choices come from a generator of its
// own, seeded by the monkey's seed: the same seed and game seed play the
// same game. When the frames run out (--max-frames, else kFramesAfterInput)
// the process ends with exit code 0.
#pragma once

#include "shell/Observers.h"

#include <cstdint>
#include <optional>

namespace zorbin {
class TPlayer;
}

namespace zorbin::demo {

// A small generator of its own (SplitMix64): the game's generator is left
// to the game, so the monkey never changes what the game draws.
class TMonkeyRandom {
 public:
  explicit TMonkeyRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // Uniform in lo..hi (both included).
  uint32_t Between(uint32_t lo, uint32_t hi);

 private:
  uint64_t state_;
};

class TMonkey {
 public:
  // maxFrames: the frames to play, when given.
  TMonkey(uint64_t seed, std::optional<uint32_t> maxFrames);
  // Plays before each poll; a run with the monkey has no scripted input to
  // fight it.
  void Install();

 private:
  enum class TPlan { Idle, Walk, Space, Tab, Appear, SeekPort };
  struct TPort {
    int32_t Column = 0;
    int32_t Row = 0;  // the cell under the figure's feet
  };

  void BeforePoll();
  void ChoosePlan(uint32_t frame);
  bool FindPort(const TPlayer& player, TPort& port);
  // The keys the plan holds in this frame: bits of the key list in Monkey.cpp.
  uint32_t WantedKeys(uint32_t frame);
  uint32_t SeekKeys(uint32_t frame);

  TMonkeyRandom random_;
  std::optional<uint32_t> maxFrames_;
  uint32_t framesAtLastPoll_ = UINT32_MAX;
  TPlan plan_ = TPlan::Idle;
  uint32_t planEnd_ = 0;  // the plan holds until this frame
  uint32_t walkKey_ = 0;
  uint32_t spaceUntil_ = 0;
  TPort target_;
  TSubscription beforePoll_;
};

}  // namespace zorbin::demo
