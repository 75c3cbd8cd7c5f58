// ByteOrderTest: little- and big-endian loads and stores, at run time and in constant evaluation.
#include "util/ByteOrder.h"

#include <gtest/gtest.h>

namespace zorbin {
namespace {

constexpr uint8_t kByteOrderSample[8] = {0x01, 0x02, 0x03, 0x04, 0x85, 0x86, 0x87, 0x88};

static_assert(LoadLE16(kByteOrderSample) == 0x0201);
static_assert(LoadLE32("COMP") == 0x504D4F43);
static_assert(LoadLE64(kByteOrderSample) == 0x8887868504030201u);
static_assert(LoadBE64(kByteOrderSample) == 0x0102030485868788u);

TEST(ByteOrder, LoadsReadTheLowestByteFirstAtAnyAlignment) {
  uint8_t buffer[12] = {0xFF, 0x01, 0x02, 0x03, 0x04, 0x85, 0x86, 0x87, 0x88, 0xFF};
  volatile size_t offset = 1;  // keeps the loads out of constant evaluation
  const uint8_t* p = buffer + offset;
  EXPECT_EQ(LoadLE16(p), 0x0201u);
  EXPECT_EQ(LoadLE24(p), 0x030201u);
  EXPECT_EQ(LoadLE32(p + 4), 0x88878685u);
  EXPECT_EQ(LoadLE64(p), 0x8887868504030201u);
  EXPECT_EQ(LoadBE64(p), 0x0102030485868788u);
}

TEST(ByteOrder, StoresWriteOnlyTheirOwnBytes) {
  uint8_t buffer[20] = {};
  volatile size_t offset = 1;
  uint8_t* p = buffer + offset;
  StoreLE16(p, 0xA1B2);
  StoreLE32(p + 2, 0xC1C2C3C4);
  StoreLE64(p + 6, 0x0102030405060708u);
  StoreBE32(p + 14, 0xD1D2D3D4);
  const uint8_t expected[20] = {0,    0xB2, 0xA1, 0xC4, 0xC3, 0xC2, 0xC1, 0x08, 0x07, 0x06,
                                0x05, 0x04, 0x03, 0x02, 0x01, 0xD1, 0xD2, 0xD3, 0xD4, 0};
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(buffer[i], expected[i]) << "byte " << i;
}

}  // namespace
}  // namespace zorbin
