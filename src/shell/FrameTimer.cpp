// FrameTimer: deadlines, the sleep before each frame, and the counts.
#include "shell/FrameTimer.h"

#include "shell/ClockUnit.h"

namespace zorbin {

void TFrameTimer::SetFrameRate(uint32_t rate) {
  if (rate > 0) period_ = 1000 / rate;
}

uint32_t TFrameTimer::TimeLeft() {
  uint32_t now = Clock().Ticks();
  // The tick count wraps after 49.7 days: a deadline further ahead than one
  // frame period is one from before the wrap and starts a new period.
  if (nextDeadline_ > now && nextDeadline_ - now <= period_) return nextDeadline_ - now;
#ifdef __EMSCRIPTEN__
  // The browser's timers wake a millisecond or two late; counting from the
  // missed deadline keeps 100 frames a second. A frame later than a whole
  // period still starts a new schedule.
  if (nextDeadline_ != 0 && now - nextDeadline_ < period_) {
    nextDeadline_ += period_;
    return 0;
  }
#endif
  nextDeadline_ = now + period_;
  return 0;
}

void TFrameTimer::WaitForDeadline() {
  remainingSum_ += TimeLeft();
  for (uint32_t left = TimeLeft(); left > 0; left = TimeLeft()) Clock().Delay(left);
}

void TFrameTimer::ResetCounts() {
  count_ = 0;
  remainingSum_ = 0;
}

}  // namespace zorbin
