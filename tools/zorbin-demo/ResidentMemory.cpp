// ResidentMemory: reading the resident set size from /proc.
#include "ResidentMemory.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace zorbin::demo {

int64_t ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtoll(line.c_str() + 6, nullptr, 10);
  return -1;
}

}  // namespace zorbin::demo
