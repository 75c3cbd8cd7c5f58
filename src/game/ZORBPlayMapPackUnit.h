// ZORBPlayMapPackUnit: the whole game run. It reads the list of maps from
// the pack's index "$main$.ini" and plays one map visit after another, the
// next chosen by how the previous one ended, until Escape.
#pragma once

#include "shell/Observers.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorbin {

struct TMapProps {
  std::string Dir;
  bool Remember = false;
  int32_t StartX = -1;
  int32_t StartY = -1;
};

// Told as each map visit is about to be created, its index in the pack
// (-1 for a map outside it) and its folder: headless runs report it, the
// sound starts the map's music.
TObserverList<int, const std::string&>& MapVisits();

class TPlayMapPack final {
 public:
  static constexpr int kPackPriority = 120;

  // fileName names a pack archive mounted above the game data, or
  // "<internal>" for the game data itself.
  explicit TPlayMapPack(const std::string& fileName);
  ~TPlayMapPack();
  TPlayMapPack(const TPlayMapPack&) = delete;
  TPlayMapPack& operator=(const TPlayMapPack&) = delete;

  // The map's directory; an unknown number logs its Error and ends the
  // process with exit code 1 (a broken pack is a failure, not a quit).
  std::string GetFileName(int index) const;
  void Run();

  std::vector<TMapProps> Maps;
  std::string FileName;
};

// Where the game keeps the player's progress; empty (the default) keeps
// none, and the game looks and plays as it always did.
void SetProgressFile(const std::string& fileName);

// The title card's wait for Space: polls events until Space is held.
void WaitAtTitleCard();

// Parses one item of the "Maps" list: "Dir" or "Dir,flag".
TMapProps ParseMapItem(const std::string& item);

}  // namespace zorbin
