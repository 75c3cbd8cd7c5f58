// CodingUnit: interleave, delta and move-to-front coding.
#include "storage/CodingUnit.h"

#include <cstring>
#include <stdexcept>

namespace zorbin {

namespace {

void CheckStride(int stride) {
  if (stride < 1) throw std::invalid_argument("Interleave stride must be 1 or more");
}

std::unique_ptr<TMemoryStream> Wrap(std::vector<uint8_t> data) {
  return std::make_unique<TMemoryStream>(std::move(data));
}

}  // namespace

std::vector<uint8_t> InterleaveRestoreBytes(const std::vector<uint8_t>& data, int stride) {
  CheckStride(stride);
  const size_t n = data.size();
  const size_t s = size_t(stride);
  std::vector<uint8_t> out(n);
  size_t k = 0;
  for (size_t start = 0; start < s && start < n; ++start)
    for (size_t p = start; p < n; p += s) out[p] = data[k++];
  return out;
}

std::vector<uint8_t> InterleaveSplitBytes(const std::vector<uint8_t>& data, int stride) {
  CheckStride(stride);
  const size_t n = data.size();
  const size_t s = size_t(stride);
  std::vector<uint8_t> out(n);
  size_t k = 0;
  for (size_t start = 0; start < s && start < n; ++start)
    for (size_t p = start; p < n; p += s) out[k++] = data[p];
  return out;
}

void DeltaDecodeInPlace(std::vector<uint8_t>& data) {
  uint8_t previous = 0;
  for (uint8_t& b : data) previous = b = uint8_t(b + previous);
}

void DeltaEncodeInPlace(std::vector<uint8_t>& data) {
  for (size_t i = data.size(); i-- > 1;) data[i] = uint8_t(data[i] - data[i - 1]);
}

void MTFDecodeInPlace(std::vector<uint8_t>& data) {
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
  for (uint8_t& b : data) {
    const uint8_t c = b;
    const uint8_t v = table[c];
    if (c != 0) {
      std::memmove(table + 1, table, c);
      table[0] = v;
    }
    b = v;
  }
}

void MTFEncodeInPlace(std::vector<uint8_t>& data) {
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
  for (uint8_t& b : data) {
    const uint8_t v = b;
    uint8_t c = 0;
    while (table[c] != v) ++c;
    std::memmove(table + 1, table, c);
    table[0] = v;
    b = c;
  }
}

std::unique_ptr<TMemoryStream> InterleaveRestore(TStream& source, int stride) {
  return Wrap(InterleaveRestoreBytes(source.ReadAll(), stride));
}

std::unique_ptr<TMemoryStream> DeltaDecode(TStream& source) {
  std::vector<uint8_t> data = source.ReadAll();
  DeltaDecodeInPlace(data);
  return Wrap(std::move(data));
}

std::unique_ptr<TMemoryStream> MTFDecode(TStream& source) {
  std::vector<uint8_t> data = source.ReadAll();
  MTFDecodeInPlace(data);
  return Wrap(std::move(data));
}

}  // namespace zorbin
