// Zorbin: the program's entry sequence. It brings up the banner, the
// display and audio shell, the data archive and the shared fonts, hands
// control to the map pack and takes everything down in reverse order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zorbin {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kScreenDepth = 32;
constexpr int kFrameRate = 100;
constexpr int kArchivePriority = 100;
extern const char* const kBanner;
extern const char* const kCaption;
extern const char* const kDataFileName;

// Runs start-up, play and shutdown; returns the exit code: 0, or 1 when
// play stopped with an error (logged before the shutdown). Without a seed
// the random generator is seeded from the clock's ticks; the seed is logged.
// play, when given, runs instead of the map pack (the map editor).
int RunZorbin(std::optional<uint32_t> seed = std::nullopt, const std::function<void()>& play = {});
// The game data archive: "Zorbin.data" in the program's folder when that
// file exists on disk, otherwise the program file itself (which carries
// the archive appended).
std::string DataArchiveName(const std::string& programPath);

}  // namespace zorbin
