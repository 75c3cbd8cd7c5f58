// ResidentMemory: how much of the process lies in memory, for runs that
// watch their memory over hours of play.
#pragma once

#include <cstdint>

namespace zorbin::demo {

// The resident set size in KiB (VmRSS of /proc/self/status); -1 where the
// system does not tell it.
int64_t ResidentKilobytes();

}  // namespace zorbin::demo
