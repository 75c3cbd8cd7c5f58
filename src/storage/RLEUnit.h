// RLEUnit: run-length streams of compressed blocks (stage B): method byte
// 5 or 6, the u32 total stream length N (header included), then tokens.
// Method 5: a control byte with bit 7 set repeats the next byte
// (c and 0x7F) + 1 times, otherwise the next c + 1 bytes are copied.
// Method 6 (data below 128): a control byte with bit 7 set repeats the value
// (c and 0x7F) n + 1 times, n being the next byte; otherwise c is output once.
#pragma once

#include "util/Streams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorbin {

inline constexpr uint8_t kRLEMethodBytes = 5;
inline constexpr uint8_t kRLEMethodSevenBit = 6;
inline constexpr size_t kRLEHeaderSize = 5;

// Decodes one run-length stream starting at source's position into
// destination, then rewinds destination to 0. Source is left after the
// stream's last token. With a method byte other than 5 or 6 source is put
// back where it was and nothing is output. Raises ECompressionError when the
// stream ends before N bytes or the output would exceed kMaxDecodedSize.
void RLEDecode(TStream& source, TStream& destination);

// The same over bytes in memory: returns false (out untouched, consumed 0)
// for an unknown method; consumed receives the bytes the stream took.
bool RLEDecodeBytes(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t& consumed);

// A complete run-length stream of data with method 5 or 6. Method 6 needs
// every byte below 128 (RLESevenBitFits).
std::vector<uint8_t> RLEEncode(const std::vector<uint8_t>& data, uint8_t method);
bool RLESevenBitFits(const std::vector<uint8_t>& data);
// The shorter of the two methods (method 5 where 6 does not fit).
std::vector<uint8_t> RLEEncodeBest(const std::vector<uint8_t>& data);

}  // namespace zorbin
