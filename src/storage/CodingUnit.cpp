// CodingUnit: interleave, delta and move-to-front coding.
#include "storage/CodingUnit.h"

#include "storage/MTFWideUnit.h"

#include <cstring>
#include <stdexcept>

// x86 processors with byte shuffles (nearly all) restore three interleaved
// planes with them; the choice is made at run time, so the program still
// runs on any x86-64.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define ZORBIN_X86_SHUFFLE 1
#include <tmmintrin.h>
#else
#define ZORBIN_X86_SHUFFLE 0
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorbin {

namespace {

void CheckStride(int stride) {
  if (stride < 1) throw std::invalid_argument("Interleave stride must be 1 or more");
}

std::unique_ptr<TMemoryStream> Wrap(std::vector<uint8_t> data) {
  return std::make_unique<TMemoryStream>(std::move(data));
}

}  // namespace

#if ZORBIN_X86_SHUFFLE
namespace {

bool HasShuffle() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return has;
}

// Byte shuffles that put 16 bytes of each of three planes into 48
// interleaved bytes: lane i of output vector k is byte (16k + i) / 3 of plane
// (16k + i) % 3; the other two planes' shuffles leave that lane zero.
struct TStrideThreeShuffles {
  alignas(16) uint8_t lanes[3][3][16];  // [output vector][plane][lane]
  TStrideThreeShuffles() {
    for (int k = 0; k < 3; ++k)
      for (int plane = 0; plane < 3; ++plane)
        for (int i = 0; i < 16; ++i) {
          const int at = 16 * k + i;
          lanes[k][plane][i] = at % 3 == plane ? uint8_t(at / 3) : 0x80;
        }
  }
};

__attribute__((target("ssse3"))) size_t RestoreStrideThree(const uint8_t* a, const uint8_t* b, const uint8_t* c,
                                                           uint8_t* out, size_t groups) {
  static const TStrideThreeShuffles shuffles;
  auto lane = [](int k, int plane) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(shuffles.lanes[k][plane]));
  };
  size_t i = 0;
  for (; i + 16 <= groups; i += 16, out += 48) {
    const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i pc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
    for (int k = 0; k < 3; ++k) {
      const __m128i v = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(pa, lane(k, 0)), _mm_shuffle_epi8(pb, lane(k, 1))),
                                     _mm_shuffle_epi8(pc, lane(k, 2)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * k), v);
    }
  }
  return i;
}

}  // namespace
#endif

std::vector<uint8_t> InterleaveRestoreBytes(std::span<const uint8_t> data, int stride) {
  CheckStride(stride);
  const size_t n = data.size();
  const size_t s = size_t(stride);
  std::vector<uint8_t> out(n);
  // Strides 2 and 3 in one pass over the output: plane j holds positions
  // j, j + s, ...; the planes of the first n % s offsets hold one byte more.
  const size_t groups = n / s;
  const size_t longer = n % s;
  if (s == 2 || s == 3) {
    const uint8_t* a = data.data();
    const uint8_t* b = a + groups + (longer > 0);
    const uint8_t* c = b + groups + (longer > 1);
    uint8_t* o = out.data();
    size_t i = 0;
    if (s == 2) {
#if defined(__SSE2__)
      for (; i + 16 <= groups; i += 16, o += 32) {
        const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(pa, pb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpackhi_epi8(pa, pb));
      }
#endif
      for (; i < groups; ++i, o += 2) {
        o[0] = a[i];
        o[1] = b[i];
      }
    } else {
#if ZORBIN_X86_SHUFFLE
      if (HasShuffle()) {
        i = RestoreStrideThree(a, b, c, o, groups);
        o += 3 * i;
      }
#endif
      for (; i < groups; ++i, o += 3) {
        o[0] = a[i];
        o[1] = b[i];
        o[2] = c[i];
      }
    }
    if (longer > 0) o[0] = a[groups];
    if (longer > 1) o[1] = b[groups];
    return out;
  }
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

void DeltaDecodeInPlace(std::span<uint8_t> data) {
  uint8_t previous = 0;
  uint8_t* p = data.data();
  uint8_t* const end = p + data.size();
#if defined(__SSE2__)
  // Sixteen bytes at a time: their running sums within the vector by four
  // shifted adds, then the byte carried from before; only that byte passes
  // from one vector to the next.
  for (; end - p >= 16; p += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 1));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 2));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 8));
    const uint8_t sum = uint8_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 15)));
    v = _mm_add_epi8(v, _mm_set1_epi8(char(previous)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    previous = uint8_t(previous + sum);
  }
#endif
  for (; p < end; ++p) previous = *p = uint8_t(*p + previous);
}

void DeltaEncodeInPlace(std::vector<uint8_t>& data) {
  for (size_t i = data.size(); i-- > 1;) data[i] = uint8_t(data[i] - data[i - 1]);
}

void MTFDecodePortableInPlace(std::vector<uint8_t>& data) {
  // Entries 0-15, which most values come from, live in two words: entry i
  // in byte i (from the low end) of low, entry 8 + i in byte i of high; they
  // move by shifts and masks. Entries 16-255 stay in memory.
  uint64_t low = 0x0706050403020100u;
  uint64_t high = 0x0F0E0D0C0B0A0908u;
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
  uint8_t* p = data.data();
  uint8_t* const end = p + data.size();
  while (p < end) {
    const uint8_t c = *p;
    if (c == 0) {
      // Zeros keep the table: eight at a time where they come in runs.
      const uint8_t v = uint8_t(low);
      uint64_t word;
      while (end - p >= 8 && (std::memcpy(&word, p, 8), word == 0)) {
        std::memset(p, v, 8);
        p += 8;
      }
      if (p < end && *p == 0) *p++ = v;
      continue;
    }
    uint8_t v;
    if (c < 8) {
      // Bytes 0 .. c of low move up one place, the taken value goes first.
      const unsigned shift = 8 * c;
      v = uint8_t(low >> shift);
      const uint64_t mask = ~uint64_t(0) >> (56 - shift);
      low = (((low << 8) | v) & mask) | (low & ~mask);
    } else if (c < 16) {
      const unsigned shift = 8 * (c - 8);
      v = uint8_t(high >> shift);
      const uint64_t mask = ~uint64_t(0) >> (56 - shift);
      high = (((high << 8) | (low >> 56)) & mask) | (high & ~mask);
      low = (low << 8) | v;
    } else {
      v = table[c];
      std::memmove(table + 17, table + 16, size_t(c) - 16);
      table[16] = uint8_t(high >> 56);
      high = (high << 8) | (low >> 56);
      low = (low << 8) | v;
    }
    *p++ = v;
  }
}

void MTFDecodeInPlace(std::vector<uint8_t>& data) {
  if (!MTFDecodeVectorInPlace(data)) MTFDecodePortableInPlace(data);
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
