// MyZStreamUnit: the zlib layer — inflating zlib streams (archive blocks and
// ".ZL" files) and deflating for the tools that build archives.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace zorbin {

class TStream;

// Corrupt, truncated or oversized zlib data.
class EZlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No block or file may inflate past this size.
constexpr size_t kMaxInflatedSize = size_t(64) << 20;

// Inflates a zlib stream (with its header) from source's position to its
// end, appending the output to destination. Raises EZlibError.
void InflateStream(TStream& source, TStream& destination);
std::vector<uint8_t> DeflateBytes(const std::vector<uint8_t>& data, int level);

}  // namespace zorbin
