// Zorbin: the program's entry sequence. It brings up the banner, the
// display and audio shell, the data archive and the shared fonts, hands
// control to the map pack and takes everything down in reverse order.
#pragma once

#include <cstdint>
#include <optional>

namespace zorbin {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kScreenDepth = 32;
constexpr int kFrameRate = 100;
extern const char* const kBanner;
extern const char* const kCaption;
extern const char* const kDataFileName;

// Runs start-up, play and shutdown; returns the exit code (0). Without a
// seed the random generator is seeded from the clock's ticks.
int RunZorbin(std::optional<uint32_t> seed = std::nullopt);

}  // namespace zorbin
