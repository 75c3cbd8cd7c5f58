// ZORBDirectStartUnit: playing one map directly, without the map-select
// map: a folder of the pack or a folder on disk holding the map's files
// loose. A watching run plays the map again from its title card whenever a
// file of its folder changes on disk, and waits for the next change when a
// change breaks the map.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TPlay1Map;

// What a run starts on: the map pack from map 0 when Name is empty.
struct TStartMap {
  std::string Name;
  bool Watch = false;
};

struct TDirectMap {
  int Index = -1;   // its number in the map list of "$main$.ini"; -1 when it has none
  std::string Dir;  // the directory as the list writes it, else the name given
};

// name: a directory of the "$main$.ini" map list (letter case ignored), else
// a folder of the pack or on disk that holds "map00.mpt" ("/" and "\" both
// separate parts; a trailing one is ignored). Raises when it is neither.
TDirectMap FindDirectMap(const std::string& name);

// Reports the visit to MapVisits and creates it: its title card
// stands on screen.
std::unique_ptr<TPlay1Map> OpenVisit(const TDirectMap& map);

// The files below a folder as last marked: a change is a file added or
// removed, or one with another size, time or inode (a file saved by
// renaming a new one over it).
class TFolderWatch final {
 public:
  explicit TFolderWatch(std::string folder) : folder_(std::move(folder)) {}
  // Takes the folder as it is now as the state to compare with.
  void Mark() { marked_ = Scan(); }
  bool Changed() const { return Scan() != marked_; }
  const std::string& Folder() const { return folder_; }

  struct TFileState {
    std::string Path;
    int64_t Size = 0;
    int64_t Seconds = 0;
    int64_t Nanoseconds = 0;
    uint64_t Inode = 0;
    bool operator==(const TFileState&) const = default;
  };

 private:
  std::vector<TFileState> Scan() const;

  std::string folder_;
  std::vector<TFileState> marked_;
};

class TDirectStart final {
 public:
  // A watching run looks at the folder every this many presented frames:
  // about once a second, and at the same frames on a virtual clock.
  static constexpr uint32_t kWatchEvery = 100;

  explicit TDirectStart(TStartMap start) : start_(std::move(start)) {}
  // Plays the map from its title card until it ends (completed or Escape).
  // Watching: until Escape; a change of the folder plays the map again from
  // its title card with the new files, and so does completing it. Raises
  // when the name is no map, or, watching, no folder on disk.
  void Run();

 private:
  // How a wait or a watched visit ended: Escape, a change of the folder,
  // the map completed, Space at the title card.
  enum class TStep { Quit, Reload, Replay, Start };

  void RunWatching(const TDirectMap& map);
  TStep PlayWatched(const TDirectMap& map, const TFolderWatch& watch);
  static TStep WaitWatching(const TFolderWatch& watch, bool untilSpace);
  static bool WatchDue(const TFolderWatch& watch);

  TStartMap start_;
};

}  // namespace zorbin
