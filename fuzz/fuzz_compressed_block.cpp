// Fuzz target for compressed blocks: any input is decoded as a block (it
// must decode or raise ECompressionError, never crash, hang or read out of
// bounds), and packed with the flags its first byte picks, which must
// decode back to the same bytes (the input repeated, to reach the lengths
// where the decoders work in pieces).
#include "storage/CompressorUnit.h"

#include <cstdlib>

namespace {

// Keeps the packer's round trip quick on the fuzzer's larger inputs.
constexpr size_t kRoundTripLimit = 4096;
// The payload is the input repeated up to this many times, so that it
// reaches the lengths from which the decoders split their work.
constexpr size_t kMostRepeats = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  std::vector<uint8_t> bytes(data, data + size);
  try {
    TMemoryStream block(bytes);
    TCompressor::Decompress(block);
  } catch (const ECompressionError&) {
  }
  if (size == 0 || size > kRoundTripLimit) return 0;
  // Bit 7 off, stage B mapped onto the four codes with a decoder.
  static const uint8_t kStageB[4] = {0, 1, 2, 4};
  const uint8_t flags = uint8_t((data[0] & 0x47) | kStageB[(data[0] >> 3) & 3] << 3);
  std::vector<uint8_t> payload;
  const size_t repeats = size > 1 ? 1 + data[1] % kMostRepeats : 1;
  for (size_t i = 0; i < repeats; ++i) payload.insert(payload.end(), data + 1, data + size);
  TMemoryStream packed(TCompressor::Compress(payload, flags));
  if (TCompressor::Decompress(packed)->Data() != payload) std::abort();
  return 0;
}
