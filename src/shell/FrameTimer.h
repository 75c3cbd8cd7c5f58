// FrameTimer: the pace of presented frames. A frame may be shown once the
// period since the last deadline has passed; a frame that is late starts a
// new period instead of catching up. It keeps the frames presented and the
// time that was left before each deadline, for the closing log line.
#pragma once

#include <cstdint>

namespace zorbin {

class TFrameTimer final {
 public:
  // The period becomes 1000 div rate ms; a rate of 0 changes nothing.
  void SetFrameRate(uint32_t rate);
  // The ms until the deadline; 0 when it has passed, and then the next
  // deadline is one period from now.
  uint32_t TimeLeft();
  // Adds what is left to the sum, then sleeps it out on the process's clock.
  void WaitForDeadline();
  void CountFrame() { ++count_; }
  // No frames presented and nothing summed, as when a display opens.
  void ResetCounts();
  // Forgets the deadline, as at load: the next TimeLeft starts a new schedule.
  void RestartSchedule() { nextDeadline_ = 0; }

  uint32_t Period() const { return period_; }
  uint32_t Count() const { return count_; }
  uint32_t RemainingSum() const { return remainingSum_; }

 private:
  uint32_t period_ = 25;  // until SetFrameRate
  uint32_t nextDeadline_ = 0;
  uint32_t count_ = 0;
  uint32_t remainingSum_ = 0;
};

}  // namespace zorbin
