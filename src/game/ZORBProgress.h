// ZORBProgress: the player's kept progress — each completed map of the pack
// and its best time in frames — read from and written to one small INI
// file, and the view of it the map-select ports take.
#pragma once

#include "sprites/PortProgress.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorbin {

class TProgress final : public TPortProgress {
 public:
  // Reads fileName when it exists. A file that is not a progress file, or a
  // damaged one, is named in one Warning line, moved aside as
  // fileName + ".bad", and play starts from no progress.
  explicit TProgress(std::string fileName);

  // The pack's maps in index order, so that ports find their maps.
  void SetMaps(std::vector<std::string> dirs) { maps_ = std::move(dirs); }

  bool Completed(int32_t level) const override;
  int CompletedCount() const override { return int(best_.size()); }
  // Anything kept yet: the file is started at the first completed map.
  bool Started() const { return !best_.empty(); }
  std::optional<uint32_t> Best(const std::string& dir) const;

  // Records a completion of the map in dir after frames of play and writes
  // the file (through a temporary file renamed over it). True when the time
  // is the map's best so far.
  bool Record(const std::string& dir, uint32_t frames);

  const std::string& FileName() const { return fileName_; }

 private:
  bool Parse(const std::string& text);
  void Save() const;

  std::string fileName_;
  std::vector<std::string> maps_;
  struct TEntry {
    std::string Dir;  // as the pack spells it
    uint32_t Frames = 0;
  };
  // Keyed by the map's folder name in upper case: names ignore letter case.
  std::map<std::string, TEntry> best_;
};

// Frames as the player reads them: "23.45 s" for 2345 frames at 100 a second.
std::string FramesAsSeconds(uint32_t frames);

}  // namespace zorbin
