// Zorbin: the program's entry sequence. It brings up the banner, the
// display and audio shell, the data archive and the shared fonts, hands
// control to the map pack and takes everything down in reverse order.
#pragma once

#include "app/GameAudio.h"

#include "game/ZORBDirectStartUnit.h"

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
// start names a map to play directly instead of the map pack; play, when
// given, runs instead of both (the map editor).
// audio says where the run's sound goes (nowhere by default).
int RunZorbin(std::optional<uint32_t> seed = std::nullopt, const TStartMap& start = {},
              const std::function<void()>& play = {}, const TAudioOptions& audio = {});
// Start-up steps 1 to 7: the seed, the banner, the display, the caption,
// the frame rate and the archive mounted with priority 100 (none when the
// name is empty).
void StartUp(std::optional<uint32_t> seed, const std::string& archive);
// Steps 8 and 9: the shared fonts; raises when one cannot be loaded.
void LoadFonts();
// Steps 11 to 13: the fonts, the archive, the display.
void ShutDown(const std::string& archive);
// The game data archive: "Zorbin.data" in the program's folder when that
// file exists on disk, otherwise the program file itself (which carries
// the archive appended).
std::string DataArchiveName(const std::string& programPath);

}  // namespace zorbin
