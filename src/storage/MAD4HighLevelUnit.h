// MAD4HighLevelUnit: the archive volumes. Several archives are mounted at
// once, each with a priority; lookups ask them highest priority first (the
// most recently mounted first among equals), so a file in a higher volume
// hides one of the same name in a lower one. One global manager serves the
// stream opener.
#pragma once

#include "storage/ArchiveVolumes.h"

#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TMAD4MidLevel;

struct TMAD4VolumeData {
  std::string FileName;
  int Priority = 0;
  std::unique_ptr<TMAD4MidLevel> Archive;
};

class TMAD4HighLevel : public TArchiveVolumes {
 public:
  TMAD4HighLevel();
  ~TMAD4HighLevel() override;

  // A file that is not an archive is not added; a missing one is created.
  void Mount(const std::string& fileName, int priority, bool readOnly) override;
  void Unmount(const std::string& fileName) override;
  bool IsExists(const std::string& name) override;
  std::unique_ptr<TStream> OpenFile(const std::string& name) override;

  // Index of the first volume of that file name (letters a-z without case),
  // or -1.
  int IndexOfVolume(const std::string& fileName) const;
  // Drops one leading "\", or else every leading "..\".
  static std::string ResolveName(const std::string& name);
  // The volume listing, as plain log lines.
  void ListVolumes() const;

  int VolumeCount() const { return int(volumes_.size()); }
  const TMAD4VolumeData& VolumeAt(int index) const { return volumes_.at(size_t(index)); }

 private:
  std::vector<TMAD4VolumeData> volumes_;  // highest priority first
};

extern std::unique_ptr<TMAD4HighLevel> MAD4Volumes;

}  // namespace zorbin
