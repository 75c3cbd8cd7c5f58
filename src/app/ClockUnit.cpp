// ClockUnit: system and virtual clocks.
#include "app/ClockUnit.h"

#include <SDL.h>

#include <chrono>
#include <thread>

namespace zorbin {

uint32_t TClock::Ticks() {
  static const auto start = std::chrono::steady_clock::now();
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void TClock::Delay(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

static TClock gSystemClock;
static TClock* gClock = &gSystemClock;

TClock& Clock() { return *gClock; }

void SetClock(TClock* clock) { gClock = clock ? clock : &gSystemClock; }

}  // namespace zorbin
