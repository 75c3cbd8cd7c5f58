// MTFWideUnit: move-to-front decoding in 64-byte and 16-byte vector registers.
#include "storage/MTFWideUnit.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define ZORBIN_MTF_WIDE 1
// GCC 12 warns inside its own intrinsics, where they start from an
// undefined vector on purpose.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
#define ZORBIN_MTF_WIDE 0
#endif

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace zorbin {

#if ZORBIN_MTF_WIDE
namespace {

#define ZORBIN_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,bmi2")))

// Every extension ZORBIN_WIDE names.
bool HasWidePermutes() {
  static const bool has =
      (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                 __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
                                 __builtin_cpu_supports("bmi2"));
  return has;
}

bool HasShuffle() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return has;
}

// The byte shuffle that moves entry c (below 16) of the front sixteen to
// the front: lane 0 takes c, lanes 1 .. c take 0 .. c - 1, the rest stay.
struct TFrontShuffles {
  alignas(16) uint8_t lanes[16][16];
  TFrontShuffles() {
    for (int c = 0; c < 16; ++c)
      for (int i = 0; i < 16; ++i) lanes[c][i] = uint8_t(i == 0 ? c : i <= c ? i - 1 : i);
  }
};
const TFrontShuffles kFrontShuffles;

// Without 64-byte permutes: entries 0-15 live in one vector register and
// move by one byte shuffle (no memory round trip between two symbols);
// entries 16-255 stay in memory.
__attribute__((target("ssse3"))) void MTFDecodeShuffle(std::vector<uint8_t>& data) {
  uint8_t back[240];
  for (int i = 0; i < 240; ++i) back[i] = uint8_t(16 + i);
  __m128i front = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i shiftUp = _mm_setr_epi8(-128, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
  uint8_t* p = data.data();
  uint8_t* const end = p + data.size();
  while (p < end) {
    const unsigned c = *p;
    if (c == 0) {
      // Zeros keep the table: eight at a time where they come in runs.
      const uint8_t v = uint8_t(_mm_cvtsi128_si32(front));
      uint64_t word;
      while (end - p >= 8 && (std::memcpy(&word, p, 8), word == 0)) {
        std::memset(p, v, 8);
        p += 8;
      }
      if (p < end && *p == 0) *p++ = v;
      continue;
    }
    if (c < 16) {
      front = _mm_shuffle_epi8(front, _mm_load_si128(reinterpret_cast<const __m128i*>(kFrontShuffles.lanes[c])));
      *p++ = uint8_t(_mm_cvtsi128_si32(front));
      continue;
    }
    const uint8_t v = back[c - 16];
    std::memmove(back + 1, back, c - 16);
    back[0] = uint8_t(_mm_extract_epi16(front, 7) >> 8);
    front = _mm_or_si128(_mm_shuffle_epi8(front, shiftUp), _mm_cvtsi32_si128(v));
    *p++ = v;
  }
}

// Inputs shorter than this are decoded as one piece: the lookups that join
// pieces would cost more than they save.
constexpr size_t kPiecesFrom = 4096;
constexpr int kPieces = 3;

// Permute indexes. rotate[c] moves rank c (below 64) of one register to its
// front; insert puts lane 0 of the second register first and moves lanes
// 0 .. 62 up one; carry does the same with lane 63 of the second register,
// passing a register's last rank on to the next. upTo[c] has lanes 0 .. c.
struct TWideIndexes {
  alignas(64) uint8_t rotate[64][64];
  alignas(64) uint8_t insert[64];
  alignas(64) uint8_t carry[64];
  uint64_t upTo[64];
  TWideIndexes() {
    for (int c = 0; c < 64; ++c) {
      for (int i = 0; i < 64; ++i) rotate[c][i] = uint8_t(i == 0 ? c : i <= c ? i - 1 : i);
      upTo[c] = c == 63 ? ~uint64_t(0) : (uint64_t(2) << c) - 1;
    }
    for (int i = 0; i < 64; ++i) {
      insert[i] = uint8_t(i == 0 ? 64 : i - 1);
      carry[i] = uint8_t(i == 0 ? 127 : i - 1);
    }
  }
};
const TWideIndexes kIndexes;

// Ranks 0-63, 64-127, 128-191 and 192-255.
struct TWideTable {
  __m512i part[4];
};

ZORBIN_WIDE inline __m512i Load(const uint8_t* bytes) { return _mm512_loadu_si512(bytes); }

ZORBIN_WIDE inline TWideTable StartingTable() {
  alignas(64) uint8_t ranks[256];
  for (int i = 0; i < 256; ++i) ranks[i] = uint8_t(i);
  return {{Load(ranks), Load(ranks + 64), Load(ranks + 128), Load(ranks + 192)}};
}

// One symbol: ranks below 64 (most of real data) take one permute of the
// first register; a deeper rank shifts every register before its own by
// one, carrying each last entry on, and takes the value out of its own.
ZORBIN_WIDE inline __attribute__((always_inline)) uint8_t Step(TWideTable& t, unsigned c) {
  if (c < 64) {
    t.part[0] = _mm512_permutexvar_epi8(Load(kIndexes.rotate[c]), t.part[0]);
    return uint8_t(_mm_cvtsi128_si32(_mm512_castsi512_si128(t.part[0])));
  }
  const __m512i carry = Load(kIndexes.carry);
  const __m512i rank = _mm512_set1_epi8(char(c));
  const __mmask64 upTo = kIndexes.upTo[c & 63];
  __m512i value;
  if (c < 128) {
    value = _mm512_permutexvar_epi8(rank, t.part[1]);
    t.part[1] = _mm512_mask_permutex2var_epi8(t.part[1], upTo, carry, t.part[0]);
  } else {
    value = _mm512_permutex2var_epi8(t.part[2], rank, t.part[3]);
    if (c < 192) {
      t.part[2] = _mm512_mask_permutex2var_epi8(t.part[2], upTo, carry, t.part[1]);
    } else {
      t.part[3] = _mm512_mask_permutex2var_epi8(t.part[3], upTo, carry, t.part[2]);
      t.part[2] = _mm512_permutex2var_epi8(t.part[2], carry, t.part[1]);
    }
    t.part[1] = _mm512_permutex2var_epi8(t.part[1], carry, t.part[0]);
  }
  t.part[0] = _mm512_permutex2var_epi8(t.part[0], Load(kIndexes.insert), value);
  return uint8_t(_mm_cvtsi128_si32(_mm512_castsi512_si128(value)));
}

// How many of the bytes are ranks of 64 or more, and how many are zeros.
struct TRankCounts {
  size_t deep = 0;
  size_t beyondSixteen = 0;  // ranks of 16 or more, the deep ones among them
  size_t zeros = 0;
};

ZORBIN_WIDE TRankCounts CountRanks(const uint8_t* p, const uint8_t* const end) {
  const __m512i deep = _mm512_set1_epi8(64);
  const __m512i sixteen = _mm512_set1_epi8(16);
  TRankCounts counts;
  for (; end - p >= 64; p += 64) {
    const __m512i ranks = Load(p);
    counts.deep += size_t(__builtin_popcountll(_mm512_cmpge_epu8_mask(ranks, deep)));
    counts.beyondSixteen += size_t(__builtin_popcountll(_mm512_cmpge_epu8_mask(ranks, sixteen)));
    counts.zeros += size_t(__builtin_popcountll(_mm512_testn_epi8_mask(ranks, ranks)));
  }
  for (; p < end; ++p) {
    counts.deep += *p >= 64;
    counts.beyondSixteen += *p >= 16;
    counts.zeros += *p == 0;
  }
  return counts;
}

// Rank r of table for every byte r of ranks.
ZORBIN_WIDE inline __m512i Look(const TWideTable& table, __m512i ranks) {
  const __m512i low = _mm512_permutex2var_epi8(table.part[0], ranks, table.part[1]);
  const __m512i high = _mm512_permutex2var_epi8(table.part[2], ranks, table.part[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(ranks), low, high);
}

// Values are gathered sixteen at a time in a register, each shifted in from
// lane 0 of the table's front (which holds the value just given) and
// written with one store: a move to a general register and a byte store
// for every value took longer than the table's moves.
ZORBIN_WIDE inline __m128i Collect(__m128i values, __m128i front) { return _mm_alignr_epi8(front, values, 1); }

// Replaces every byte r of [p, end) by rank r of table.
ZORBIN_WIDE void LookUp(uint8_t* p, uint8_t* const end, const TWideTable& table) {
  for (; end - p >= 64; p += 64) _mm512_storeu_si512(p, Look(table, Load(p)));
  if (p < end) {
    const __mmask64 rest = _cvtu64_mask64((uint64_t(1) << (end - p)) - 1);
    _mm512_mask_storeu_epi8(p, rest, Look(table, _mm512_maskz_loadu_epi8(rest, p)));
  }
}

// The table after a piece that started from `start` and left `ranks` (its
// own table, of ranks in the table it started from).
ZORBIN_WIDE TWideTable Compose(const TWideTable& start, const TWideTable& ranks) {
  alignas(64) uint8_t bytes[256];
  for (int i = 0; i < 4; ++i) _mm512_store_si512(bytes + 64 * i, ranks.part[i]);
  LookUp(bytes, bytes + 256, start);
  return {{Load(bytes), Load(bytes + 64), Load(bytes + 128), Load(bytes + 192)}};
}

ZORBIN_WIDE void DecodeOnePiece(uint8_t* p, uint8_t* const end) {
  TWideTable t = StartingTable();
  for (; end - p >= 16; p += 16) {
    __m128i values = _mm_setzero_si128();
    for (int j = 0; j < 16; ++j) {
      Step(t, p[j]);
      values = Collect(values, _mm512_castsi512_si128(t.part[0]));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), values);
  }
  for (; p < end; ++p) *p = Step(t, *p);
}

// kPieces pieces side by side, one symbol of each in turn, so that the
// permutes of one wait out their latency under those of the others.
ZORBIN_WIDE void DecodePieces(uint8_t* data, size_t size) {
  static_assert(kPieces == 3);
  const size_t length = size / kPieces;
  TWideTable a = StartingTable();
  TWideTable b = a;
  TWideTable c = a;
  uint8_t* const pa = data;
  uint8_t* const pb = data + length;
  uint8_t* const pc = data + 2 * length;
  size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    __m128i va = _mm_setzero_si128(), vb = va, vc = va;
    for (size_t j = i; j < i + 16; ++j) {
      Step(a, pa[j]);
      va = Collect(va, _mm512_castsi512_si128(a.part[0]));
      Step(b, pb[j]);
      vb = Collect(vb, _mm512_castsi512_si128(b.part[0]));
      Step(c, pc[j]);
      vc = Collect(vc, _mm512_castsi512_si128(c.part[0]));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pa + i), va);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pb + i), vb);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pc + i), vc);
  }
  for (; i < length; ++i) {
    pa[i] = Step(a, pa[i]);
    pb[i] = Step(b, pb[i]);
    pc[i] = Step(c, pc[i]);
  }
  uint8_t* const end = data + size;
  for (uint8_t* p = pc + length; p < end; ++p) *p = Step(c, *p);
  LookUp(pb, pc, a);
  LookUp(pc, end, Compose(a, b));
}

// A table for ranks that are nearly all below 16: those sixteen entries in
// one 16-byte register, moved by one byte shuffle (a shorter wait than a
// 64-byte permute), the other 240 in memory, moved where a rarer rank needs
// it. The register is a plain local of its own, apart from the memory, so
// that it stays a register.

ZORBIN_WIDE inline __m128i StartingFront() {
  return _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}

inline void StartingBack(uint8_t* back) {
  for (int i = 0; i < 240; ++i) back[i] = uint8_t(16 + i);
}

ZORBIN_WIDE inline __attribute__((always_inline)) uint8_t FrontStep(__m128i& front, uint8_t* back, unsigned c) {
  if (c < 16) {
    front = _mm_shuffle_epi8(front, _mm_load_si128(reinterpret_cast<const __m128i*>(kFrontShuffles.lanes[c])));
    return uint8_t(_mm_cvtsi128_si32(front));
  }
  const uint8_t v = back[c - 16];
  // Entries 16 .. c - 1 move up one place: four masked 64-byte moves from
  // the top down, each read before the one below writes over its first
  // byte (a call to memmove here would cost the loop its registers).
  const unsigned moved = c - 16;
  for (int part = 3; part >= 0; --part) {
    const unsigned from = unsigned(part) * 64;
    const __mmask64 lanes = moved > from ? _bzhi_u64(~uint64_t(0), moved - from) : 0;
    _mm512_mask_storeu_epi8(back + from + 1, lanes, _mm512_maskz_loadu_epi8(lanes, back + from));
  }
  back[0] = uint8_t(_mm_extract_epi8(front, 15));
  front = _mm_or_si128(_mm_slli_si128(front, 1), _mm_cvtsi32_si128(v));
  return v;
}

ZORBIN_WIDE TWideTable WideOf(__m128i front, const uint8_t* back) {
  alignas(64) uint8_t bytes[256];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), front);
  std::memcpy(bytes + 16, back, 240);
  return {{Load(bytes), Load(bytes + 64), Load(bytes + 128), Load(bytes + 192)}};
}

// DecodePieces with the front sixteen in registers.
ZORBIN_WIDE void DecodeFrontPieces(uint8_t* data, size_t size) {
  static_assert(kPieces == 3);
  const size_t length = size / kPieces;
  __m128i fa = StartingFront(), fb = fa, fc = fa;
  uint8_t ba[240], bb[240], bc[240];
  StartingBack(ba);
  StartingBack(bb);
  StartingBack(bc);
  uint8_t* const pa = data;
  uint8_t* const pb = data + length;
  uint8_t* const pc = data + 2 * length;
  size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    __m128i va = _mm_setzero_si128(), vb = va, vc = va;
    for (size_t j = i; j < i + 16; ++j) {
      FrontStep(fa, ba, pa[j]);
      va = Collect(va, fa);
      FrontStep(fb, bb, pb[j]);
      vb = Collect(vb, fb);
      FrontStep(fc, bc, pc[j]);
      vc = Collect(vc, fc);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pa + i), va);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pb + i), vb);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pc + i), vc);
  }
  for (; i < length; ++i) {
    pa[i] = FrontStep(fa, ba, pa[i]);
    pb[i] = FrontStep(fb, bb, pb[i]);
    pc[i] = FrontStep(fc, bc, pc[i]);
  }
  uint8_t* const end = data + size;
  for (uint8_t* p = pc + length; p < end; ++p) *p = FrontStep(fc, bc, *p);
  const TWideTable endA = WideOf(fa, ba);
  LookUp(pb, pc, endA);
  LookUp(pc, end, Compose(endA, WideOf(fb, bb)));
}

// Ranks of 16 or more nearly absent, the front sixteen alone go through a
// shorter wait.
ZORBIN_WIDE void DecodeRanks(uint8_t* data, size_t size, const TRankCounts& counts) {
  if (size < kPiecesFrom || counts.deep * 8 >= size)
    DecodeOnePiece(data, data + size);
  else if (counts.beyondSixteen * 32 < size)
    DecodeFrontPieces(data, size);
  else
    DecodePieces(data, size);
}

// Rank 0 gives the value given last and leaves the table as it is, so
// where zeros are common only the other ranks go through the table: they are
// gathered, decoded (in pieces or not), and spread back, each zero taking the
// value before it.

// The bytes other than zero of [p, end), in order, to out (which has room for
// all and 64 bytes more); returns how many.
ZORBIN_WIDE size_t GatherRanks(const uint8_t* p, const uint8_t* const end, uint8_t* out) {
  uint8_t* const start = out;
  for (; end - p >= 64; p += 64) {
    const __m512i ranks = Load(p);
    const __mmask64 taken = _mm512_test_epi8_mask(ranks, ranks);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(taken, ranks));
    out += __builtin_popcountll(taken);
  }
  for (; p < end; ++p)
    if (*p) *out++ = *p;
  return size_t(out - start);
}

// For SpreadValues: lane i of shifts[k] is i - 2^k, or 64 (a zero lane of
// the second register) where that is below 0.
struct TSpreadShifts {
  alignas(64) uint8_t lanes[6][64];
  alignas(64) uint8_t fromLane[64];  // 64 + i
  TSpreadShifts() {
    for (int k = 0; k < 6; ++k)
      for (int i = 0; i < 64; ++i) lanes[k][i] = uint8_t(i >= (1 << k) ? i - (1 << k) : 64);
    for (int i = 0; i < 64; ++i) fromLane[i] = uint8_t(64 + i);
  }
};
const TSpreadShifts kSpreadShifts;

// One group of up to 64 bytes of SpreadValues: lane i of `from` becomes
// 64 + the last lane up to i that holds a rank other than zero, or 0 where
// there is none, by doubling shifts and maximums; one two-register permute
// then takes the value from there or the last value of the group before.
ZORBIN_WIDE inline void SpreadGroup(uint8_t* p, __mmask64 lanes, __mmask64 taken, const uint8_t*& values,
                                    __m512i& before) {
  __m512i from = _mm512_maskz_mov_epi8(taken, Load(kSpreadShifts.fromLane));
  for (int k = 0; k < 6; ++k)
    from = _mm512_max_epu8(from, _mm512_permutex2var_epi8(from, Load(kSpreadShifts.lanes[k]), _mm512_setzero_si512()));
  const __m512i fresh = _mm512_maskz_expand_epi8(taken, Load(values));
  values += __builtin_popcountll(taken);
  const __m512i out = _mm512_permutex2var_epi8(before, from, fresh);
  _mm512_mask_storeu_epi8(p, lanes, out);
  before = _mm512_permutexvar_epi8(_mm512_set1_epi8(63), out);
}

// Writes over [p, end) the values: where p holds a rank other than zero the
// next of values, where it holds zero the value before it (`last` at the
// start). values has 64 bytes of room past its end.
ZORBIN_WIDE void SpreadValues(uint8_t* p, uint8_t* const end, const uint8_t* values, uint8_t last) {
  __m512i before = _mm512_set1_epi8(char(last));
  for (; end - p >= 64; p += 64) {
    const __m512i ranks = Load(p);
    SpreadGroup(p, ~__mmask64(0), _mm512_test_epi8_mask(ranks, ranks), values, before);
  }
  if (p < end) {
    const __mmask64 lanes = _cvtu64_mask64((uint64_t(1) << (end - p)) - 1);
    const __m512i ranks = _mm512_maskz_loadu_epi8(lanes, p);
    SpreadGroup(p, lanes, _mm512_test_epi8_mask(ranks, ranks), values, before);
  }
}

}  // namespace
#endif

bool MTFDecodeVectorInPlace(std::vector<uint8_t>& data) {
#if ZORBIN_MTF_WIDE
  if (!HasWidePermutes()) return MTFDecodeShuffleInPlace(data);
  uint8_t* const p = data.data();
  const size_t size = data.size();
  const TRankCounts counts = CountRanks(p, p + size);
  if (counts.zeros * 4 < size) {
    DecodeRanks(p, size, counts);
    return true;
  }
  thread_local std::vector<uint8_t> gathered;
  if (gathered.size() < size - counts.zeros + 64) gathered.resize(size - counts.zeros + 64);
  const size_t ranks = GatherRanks(p, p + size, gathered.data());
  TRankCounts gatheredCounts = counts;
  gatheredCounts.zeros = 0;
  DecodeRanks(gathered.data(), ranks, gatheredCounts);
  // The table starts as 0 ... 255: a zero before any other rank gives 0.
  SpreadValues(p, p + size, gathered.data(), 0);
  return true;
#else
  (void)data;
  return false;
#endif
}

bool MTFDecodeShuffleInPlace(std::vector<uint8_t>& data) {
#if ZORBIN_MTF_WIDE
  if (!HasShuffle()) return false;
  MTFDecodeShuffle(data);
  return true;
#else
  (void)data;
  return false;
#endif
}

}  // namespace zorbin
