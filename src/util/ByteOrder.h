// ByteOrder: the one place where multi-byte values are read from and written
// to byte buffers. Files store little-endian values (the Huffman bit reader
// and PNG output alone want big-endian ones). Loads and stores are spelled
// out byte by byte, independent of the host and of alignment, and the
// compiler turns each into a single load or store (with a byte swap where
// the orders differ).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace zorbin {

// Byte: any one-byte type a buffer may be made of (uint8_t, char).
template <typename Byte>
constexpr uint16_t LoadLE16(const Byte* p) {
  static_assert(sizeof(Byte) == 1);
  return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
}

// Three bytes, lowest first: a 24-bit pixel.
template <typename Byte>
constexpr uint32_t LoadLE24(const Byte* p) {
  static_assert(sizeof(Byte) == 1);
  return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16;
}

template <typename Byte>
constexpr uint32_t LoadLE32(const Byte* p) {
  static_assert(sizeof(Byte) == 1);
  return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
         uint32_t(uint8_t(p[3])) << 24;
}

// The 64-bit forms serve the decoders' word-at-a-time loops. Out of constant
// evaluation they go through memcpy: the compiler may split the byte-wise
// store of a value whose top byte it knows, which costs the Huffman loop a
// third of its speed.
constexpr uint64_t LoadLE64(const uint8_t* p) {
  if (std::is_constant_evaluated()) return uint64_t(LoadLE32(p)) | uint64_t(LoadLE32(p + 4)) << 32;
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

// The first byte's bits on top: a bit reader's refill, most significant bit
// first.
constexpr uint64_t LoadBE64(const uint8_t* p) {
  if (std::is_constant_evaluated()) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
  }
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

constexpr void StoreLE16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

constexpr void StoreLE32(uint8_t* p, uint32_t v) {
  StoreLE16(p, uint16_t(v));
  StoreLE16(p + 2, uint16_t(v >> 16));
}

constexpr void StoreLE64(uint8_t* p, uint64_t v) {
  if (std::is_constant_evaluated()) {
    StoreLE32(p, uint32_t(v));
    StoreLE32(p + 4, uint32_t(v >> 32));
    return;
  }
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}

// Highest byte first, as PNG stores its numbers.
constexpr void StoreBE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

}  // namespace zorbin
