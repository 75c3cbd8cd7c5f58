// PortProgress: what the ports of a map-select map may know of the
// player's kept progress — which maps are completed and how many. Without
// kept progress (no view) every port behaves as it always did: ports 1 to
// 6 open, later ones locked.
#pragma once

#include <cstdint>

namespace zorbin {

class TPortProgress {
 public:
  virtual ~TPortProgress() = default;
  virtual bool Completed(int32_t level) const = 0;
  virtual int CompletedCount() const = 0;
};

// Set by the map pack for its visits when progress is kept; nullptr else.
extern const TPortProgress* PortProgress;

// The last port open without any progress.
constexpr int32_t kLastOpenLevel = 6;

// Ports up to kLastOpenLevel are always open; port N above it once N - 6
// maps are completed.
bool PortOpen(int32_t level);
// True only with kept progress that holds map level as completed.
bool PortCompleted(int32_t level);

}  // namespace zorbin
