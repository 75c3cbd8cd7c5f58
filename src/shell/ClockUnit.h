// ClockUnit: the millisecond ticks and sleeps of the process, behind one
// replaceable clock, so tests and the demo runner run frames on a virtual
// clock without sleeping.
#pragma once

#include <cstdint>

namespace zorbin {

class TClock {
 public:
  virtual ~TClock() = default;
  // Milliseconds since the system started (wrapping at 2^32).
  virtual uint32_t Ticks();
  virtual void Delay(uint32_t ms);
};

// Time moves only when someone waits.
class TVirtualClock final : public TClock {
 public:
  explicit TVirtualClock(uint32_t start = 1000) : now_(start) {}
  uint32_t Ticks() override { return now_; }
  void Delay(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_;
};

TClock& Clock();
// nullptr restores the system clock. The clock is not owned.
void SetClock(TClock* clock);

}  // namespace zorbin
