// PortProgress: the opening rule of the ports over the kept progress.
#include "sprites/PortProgress.h"

namespace zorbin {

const TPortProgress* PortProgress = nullptr;

bool PortOpen(int32_t level) {
  if (level <= kLastOpenLevel) return true;
  return PortProgress && int64_t(PortProgress->CompletedCount()) >= int64_t(level) - kLastOpenLevel;
}

bool PortCompleted(int32_t level) { return PortProgress && PortProgress->Completed(level); }

}  // namespace zorbin
