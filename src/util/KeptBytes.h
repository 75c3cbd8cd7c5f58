// KeptBytes: working memory a decoder keeps per thread between inputs, so
// that each input does not take fresh pages (and page faults); one grown
// past kKeptLimit for a large input is given back at the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorbin {

inline constexpr size_t kKeptLimit = size_t(1) << 20;

// Empties kept, giving its memory back first where it is past kKeptLimit.
inline void ClearKept(std::vector<uint8_t>& kept) {
  if (kept.capacity() > kKeptLimit) std::vector<uint8_t>().swap(kept);
  kept.clear();
}

// At least size bytes of kept (their contents left as they were).
inline uint8_t* KeptBytes(std::vector<uint8_t>& kept, size_t size) {
  if (kept.capacity() > kKeptLimit) std::vector<uint8_t>().swap(kept);
  if (kept.size() < size) kept.resize(size);
  return kept.data();
}

}  // namespace zorbin
