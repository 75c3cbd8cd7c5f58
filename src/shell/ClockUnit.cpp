// ClockUnit: system and virtual clocks.
#include "shell/ClockUnit.h"

#include <SDL.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <chrono>
#include <thread>

namespace zorbin {

// The system's millisecond tick count: the monotonic clock, which counts
// from the system's start, cut to 32 bits as the tick count of the
// platform is (it wraps after 49.7 days).
uint32_t TClock::Ticks() {
  return uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// In the browser the wait gives the page its turn: it draws the frame and
// delivers the keys meanwhile.
void TClock::Delay(uint32_t ms) {
#ifdef __EMSCRIPTEN__
  emscripten_sleep(ms);
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

static TClock gSystemClock;
static TClock* gClock = &gSystemClock;

TClock& Clock() { return *gClock; }

void SetClock(TClock* clock) { gClock = clock ? clock : &gSystemClock; }

}  // namespace zorbin
