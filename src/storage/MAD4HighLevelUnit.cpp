// MAD4HighLevelUnit: volumes in priority order, lookups across them, the
// volume listing.
#include "storage/MAD4HighLevelUnit.h"

#include "log/Logger.h"
#include "storage/MAD4MidLevelUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

namespace zorbin {

std::unique_ptr<TMAD4HighLevel> MAD4Volumes;

TMAD4HighLevel::TMAD4HighLevel() = default;
TMAD4HighLevel::~TMAD4HighLevel() = default;

std::string TMAD4HighLevel::ResolveName(const std::string& name) {
  if (!name.empty() && name[0] == '\\') return name.substr(1);
  size_t skip = 0;
  while (name.compare(skip, 3, "..\\") == 0) skip += 3;
  return name.substr(skip);
}

void TMAD4HighLevel::Mount(const std::string& fileName, int priority, bool readOnly) {
  auto archive = std::make_unique<TMAD4MidLevel>();
  archive->Mount(fileName, readOnly);
  if (archive->State() != TMAD4LowLevel::kStateMounted) return;
  size_t at = 0;
  while (at < volumes_.size() && volumes_[at].Priority > priority) ++at;
  volumes_.insert(volumes_.begin() + long(at), TMAD4VolumeData{fileName, priority, std::move(archive)});
  ListVolumes();
}

void TMAD4HighLevel::Unmount(const std::string& fileName) {
  int index = IndexOfVolume(fileName);
  if (index >= 0) volumes_.erase(volumes_.begin() + index);
}

int TMAD4HighLevel::IndexOfVolume(const std::string& fileName) const {
  std::string resolved = ResolveName(fileName);
  for (size_t i = 0; i < volumes_.size(); ++i)
    if (SameText(volumes_[i].FileName, resolved)) return int(i);
  return -1;
}

bool TMAD4HighLevel::IsExists(const std::string& name) {
  if (name.empty()) return false;
  std::string resolved = ResolveName(name);
  Log->Debug("Looking for " + resolved, "MAD4HighLevelUnit, TMAD4HighLevel.IsExists");
  for (const TMAD4VolumeData& volume : volumes_)
    if (volume.Archive->FileExists(resolved)) return true;
  return false;
}

std::unique_ptr<TStream> TMAD4HighLevel::OpenFile(const std::string& name) {
  if (name.empty()) return nullptr;
  std::string resolved = ResolveName(name);
  // The first volume that has the name answers, even with nothing.
  for (const TMAD4VolumeData& volume : volumes_)
    if (volume.Archive->FileExists(resolved)) return volume.Archive->OpenFile(resolved);
  return nullptr;
}

static std::string PadLeft(const std::string& s, size_t width) {
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

void TMAD4HighLevel::ListVolumes() const {
  Log->WriteLn("----== MAD4 High Level - Volume listing ==----");
  Log->WriteLn("Number of volumes mounted: " + IntToStr(int64_t(volumes_.size())));
  for (size_t i = 0; i < volumes_.size(); ++i)
    Log->WriteLn(PadLeft(IntToStr(int64_t(i + 1)), 3) + ". (" + PadLeft(IntToStr(volumes_[i].Priority), 3) + ") " +
                 volumes_[i].FileName);
  Log->WriteLn("- -- --- --- Volume listing ends. --- --- -- -");
}

}  // namespace zorbin
