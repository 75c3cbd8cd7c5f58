// Fuzz target for move-to-front decoding: the decoder that uses the
// processor's shuffles must give the portable decoder's bytes for any
// ranks. The input is stretched to the lengths where the decoder works in
// pieces and reshaped by its first byte, so that every mix of ranks the
// decoder picks a method for is reached: ranks as they come, deep ranks
// among the front sixteen, ranks of 128 or more with a few between, and
// zeros among them.
#include "storage/CodingUnit.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kLongest = size_t(1) << 16;

uint8_t Shaped(uint8_t shape, uint8_t b) {
  switch (shape % 4) {
    case 0: return b;
    case 1: return b & 0x80 ? b : b & 0x0F;
    case 2: return b < 0x20 ? b : b | 0x80;
    default: return b & 0x40 ? 0 : b & 0x8F;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  if (size < 3) return 0;
  const uint8_t shape = data[0];
  const uint8_t* const body = data + 2;
  const size_t bodySize = size - 2;
  // Each repeat of the body differs from the last, so that the whole is not
  // one period over and over.
  const size_t length = std::min(kLongest, bodySize * (1 + data[1] % 64));
  std::vector<uint8_t> ranks(length);
  for (size_t i = 0; i < length; ++i)
    ranks[i] = Shaped(shape, uint8_t(body[i % bodySize] ^ uint8_t(i / bodySize * 37)));
  std::vector<uint8_t> portable = ranks;
  MTFDecodePortableInPlace(portable);
  MTFDecodeInPlace(ranks);
  if (ranks != portable) std::abort();
  return 0;
}
