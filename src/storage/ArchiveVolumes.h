// ArchiveVolumes: what the stream opener asks of the mounted archive
// volumes. The volume manager implements it; keeping the opener on this
// small interface lets it be used (and tested) without any archive.
#pragma once

#include <memory>
#include <string>

namespace zorbin {

class TStream;

class TArchiveVolumes {
 public:
  virtual ~TArchiveVolumes() = default;
  virtual void Mount(const std::string& fileName, int priority, bool readOnly) = 0;
  virtual void Unmount(const std::string& fileName) = 0;
  virtual bool IsExists(const std::string& name) = 0;
  // A new stream owned by the caller, or nullptr.
  virtual std::unique_ptr<TStream> OpenFile(const std::string& name) = 0;
};

}  // namespace zorbin
