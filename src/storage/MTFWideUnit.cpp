// MTFWideUnit: move-to-front decoding in 64-byte and 16-byte vector registers.
#include "storage/MTFWideUnit.h"

#include "util/KeptBytes.h"

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

#define ZORBIN_WIDE __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi2")))

// Every extension ZORBIN_WIDE names.
bool HasWidePermutes() {
  static const bool has =
      (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                 __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                                 __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2"));
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
  size_t oldest = 0;         // ranks of 128 or more
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
    counts.oldest += size_t(__builtin_popcountll(_mm512_movepi8_mask(ranks)));
    counts.zeros += size_t(__builtin_popcountll(_mm512_testn_epi8_mask(ranks, ranks)));
  }
  for (; p < end; ++p) {
    counts.deep += *p >= 64;
    counts.beyondSixteen += *p >= 16;
    counts.oldest += *p >= 128;
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

// Deep ranks common (a quarter of a picture's bytes may be 128 or more, the
// value last seen a row before): the table is kept as its front sixteen
// values in one 16-byte register and 240 slots behind them, each holding one
// value. Which slot stands where depends on the ranks alone, so a first pass
// over the ranks of 16 or more moves only the slots -- the first 112 in a
// queue in memory, the last 128 in two 64-byte registers, where deep ranks
// land -- and replaces each such rank by the slot it takes. The second pass
// moves the front register by one 16-byte permute a symbol, whatever its
// rank: a rank of 16 or more takes its value from its slot and leaves there
// the value that falls off the front; a rank below 16 does the same with a
// spare slot, so no symbol waits on a branch that guesses its rank (those
// guesses, wrong a third of the time on such data, cost more than the moves).
// Both passes run kPieces pieces side by side, joined as DecodePieces joins
// them.
constexpr int kFrontValues = 16;
constexpr int kSlots = 256 - kFrontValues;
constexpr int kQueued = kSlots - 128;  // kFrontValues + kQueued is 128
// The queue moves down through this room by one byte a deep rank and is
// copied back to the top when it reaches the bottom.
constexpr size_t kQueueRoom = 4096;
constexpr size_t kQueueSlack = 128;  // the rarer queue moves touch 128 bytes

struct TSlotIndexes {
  // For rank 128 + j: the first register takes the entry leaving the queue
  // (lane 0 of the second source) and moves lanes 0 .. min(j, 63) - 1 up one;
  // the second, where j is 64 or more, takes the first's last lane and moves
  // lanes 0 .. j - 65 up one.
  alignas(64) uint8_t moves[128][2][64];
  // The front register holds rank r in lane 15 - r, so that the value falling
  // off is lane 0 (a plain move out) and the one taken is lane 15. rank[c]
  // moves rank c (below 16) to lane 15; rank[16], for every deeper rank,
  // moves every lane down one and takes lane 0 of the second source into
  // lane 15.
  alignas(16) uint8_t rank[kFrontValues + 1][16];
  alignas(16) uint8_t reverse[16];
  alignas(64) uint8_t spare[64];  // kSlots + lane % 16: slots ranks below 16 pass through
  TSlotIndexes() {
    for (int j = 0; j < 128; ++j)
      for (int i = 0; i < 64; ++i) {
        moves[j][0][i] = uint8_t(i == 0 ? 64 : i <= j ? i - 1 : i);
        moves[j][1][i] = uint8_t(j < 64 ? i : i == 0 ? 127 : i <= j - 64 ? i - 1 : i);
      }
    for (int c = 0; c <= kFrontValues; ++c)
      for (int i = 0; i < 16; ++i)
        rank[c][i] = uint8_t(c == kFrontValues ? (i == 15 ? 16 : i + 1) : i == 15 ? 15 - c : i >= 15 - c ? i + 1 : i);
    for (int i = 0; i < 16; ++i) reverse[i] = uint8_t(15 - i);
    for (int i = 0; i < 64; ++i) spare[i] = uint8_t(kSlots + i % 16);
  }
};
const TSlotIndexes kSlotIndexes;

// The ranks of `least` or more of [p, end), in order, to out (which has
// room for all and 64 bytes more); returns how many.
ZORBIN_WIDE size_t GatherRanks(const uint8_t* p, const uint8_t* const end, uint8_t* out, uint8_t least) {
  uint8_t* const start = out;
  const __m512i bound = _mm512_set1_epi8(char(least));
  for (; end - p >= 64; p += 64) {
    const __m512i ranks = Load(p);
    const __mmask64 taken = _mm512_cmpge_epu8_mask(ranks, bound);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(taken, ranks));
    out += __builtin_popcountll(taken);
  }
  for (; p < end; ++p)
    if (*p >= least) *out++ = *p;
  return size_t(out - start);
}

// The slots of one piece: slot i stands at top[i] for i below kQueued, the
// others in two registers. The queue's room starts at room.
struct TSlotOrder {
  uint8_t* room;
  uint8_t* top;
  __m512i first, second;
};

ZORBIN_WIDE TSlotOrder StartingSlots(uint8_t* room) {
  alignas(64) uint8_t slots[kSlots];
  for (int i = 0; i < kSlots; ++i) slots[i] = uint8_t(i);
  TSlotOrder order{room, room + kQueueRoom - kQueued, Load(slots + kQueued), Load(slots + kQueued + 64)};
  std::memcpy(order.top, slots, kQueued);
  return order;
}

// The queue back at the top of its room once it has reached the bottom.
inline void Requeue(TSlotOrder& order) {
  if (order.top == order.room) {
    std::memcpy(order.room + kQueueRoom - kQueued, order.room, kQueued);
    order.top = order.room + kQueueRoom - kQueued;
  }
}

// Deep rank c (16 or more) moves its slot to the front of the slots and
// gives it. The queue may move down one byte.
ZORBIN_WIDE inline __attribute__((always_inline)) uint8_t SlotStep(uint8_t*& top, __m512i& first, __m512i& second,
                                                                   unsigned c) {
  if (c < 128) {
    // In the queue (rarer): entries 0 .. q - 1 move up one, from the top
    // down, each read before the one below writes over its first byte.
    const unsigned q = c - kFrontValues;
    const uint8_t slot = top[q];
    for (int part = 1; part >= 0; --part) {
      const unsigned from = unsigned(part) * 64;
      const __mmask64 lanes = q > from ? _bzhi_u64(~uint64_t(0), q - from) : 0;
      _mm512_mask_storeu_epi8(top + from + 1, lanes, _mm512_maskz_loadu_epi8(lanes, top + from));
    }
    top[0] = slot;
    return slot;
  }
  // A permute reads 7 bits of its index: c - 128 is c's place in the registers.
  const __m512i found = _mm512_permutex2var_epi8(first, _mm512_castsi128_si512(_mm_cvtsi32_si128(int(c))), second);
  const __m512i leaving = _mm512_castsi128_si512(_mm_cvtsi32_si128(top[kQueued - 1]));
  const uint8_t slot = uint8_t(_mm_cvtsi128_si32(_mm512_castsi512_si128(found)));
  *--top = slot;
  const uint8_t* const moves = kSlotIndexes.moves[c - 128][0];
  second = _mm512_permutex2var_epi8(second, Load(moves + 64), first);
  first = _mm512_permutex2var_epi8(first, Load(moves), leaving);
  return slot;
}

// Replaces the deep ranks of kPieces pieces by their slots, one of each in
// turn, in runs no longer than any queue has room to move down.
ZORBIN_WIDE void DecodeSlots(uint8_t* const ranks[kPieces], const size_t counts[kPieces], TSlotOrder orders[kPieces]) {
  static_assert(kPieces == 3);
  TSlotOrder& a = orders[0];
  TSlotOrder& b = orders[1];
  TSlotOrder& c = orders[2];
  uint8_t* const ra = ranks[0];
  uint8_t* const rb = ranks[1];
  uint8_t* const rc = ranks[2];
  const size_t together = std::min({counts[0], counts[1], counts[2]});
  for (size_t k = 0; k < together;) {
    Requeue(a);
    Requeue(b);
    Requeue(c);
    const size_t run = std::min({together - k, size_t(a.top - a.room), size_t(b.top - b.room), size_t(c.top - c.room)});
    uint8_t* ta = a.top;
    uint8_t* tb = b.top;
    uint8_t* tc = c.top;
    __m512i a1 = a.first, a2 = a.second, b1 = b.first, b2 = b.second, c1 = c.first, c2 = c.second;
    for (const size_t end = k + run; k < end; ++k) {
      ra[k] = SlotStep(ta, a1, a2, ra[k]);
      rb[k] = SlotStep(tb, b1, b2, rb[k]);
      rc[k] = SlotStep(tc, c1, c2, rc[k]);
    }
    a = {a.room, ta, a1, a2};
    b = {b.room, tb, b1, b2};
    c = {c.room, tc, c1, c2};
  }
  for (int piece = 0; piece < kPieces; ++piece) {
    TSlotOrder& order = orders[piece];
    for (size_t k = together; k < counts[piece]; ++k) {
      Requeue(order);
      ranks[piece][k] = SlotStep(order.top, order.first, order.second, ranks[piece][k]);
    }
  }
}

// For every byte of [p, end): the next of slots where it is a deep rank, a
// spare slot where not, to outSlots; and the rank table's row (16 for a deep
// rank) times 8 to outRows, half the row's place, which an address doubles.
ZORBIN_WIDE void SpreadSlots(const uint8_t* p, const uint8_t* const end, const uint8_t* slots, uint8_t* outSlots,
                             uint8_t* outRows) {
  const __m512i sixteen = _mm512_set1_epi8(kFrontValues);
  const __m512i spare = Load(kSlotIndexes.spare);
  for (; end - p >= 64; p += 64, outSlots += 64, outRows += 64) {
    const __m512i ranks = Load(p);
    const __mmask64 deep = _mm512_cmpge_epu8_mask(ranks, sixteen);
    _mm512_storeu_si512(outSlots, _mm512_mask_expand_epi8(spare, deep, Load(slots)));
    _mm512_storeu_si512(outRows, _mm512_slli_epi16(_mm512_min_epu8(ranks, sixteen), 3));
    slots += __builtin_popcountll(deep);
  }
  for (int lane = 0; p < end; ++p, ++outSlots, ++outRows, ++lane) {
    *outSlots = *p >= kFrontValues ? *slots++ : kSlotIndexes.spare[lane];
    *outRows = uint8_t(std::min<int>(*p, kFrontValues) * 8);
  }
}

// One symbol of slot s and rank table row at 2 * row bytes. Slot contents
// are 4 bytes apart, each written and read whole, so that a read finds the
// write before it at once.
ZORBIN_WIDE inline __attribute__((always_inline)) void FrontSlotStep(__m128i& front, uint8_t* contents, unsigned row,
                                                                     unsigned s) {
  uint8_t* const content = contents + 4 * size_t(s);
  const __m128i taken = _mm_loadu_si32(content);
  _mm_storeu_si32(content, front);
  const uint8_t* const indexes = &kSlotIndexes.rank[0][0] + 2 * size_t(row);
  front = _mm_permutex2var_epi8(front, _mm_load_si128(reinterpret_cast<const __m128i*>(indexes)), taken);
}

// Collect for a front whose first value is lane 15: values come in at lane
// 0, so sixteen of them stand in reverse order.
ZORBIN_WIDE inline __m128i CollectLast(__m128i values, __m128i front) { return _mm_alignr_epi8(values, front, 15); }

ZORBIN_WIDE inline __m128i Reversed(__m128i values) {
  return _mm_shuffle_epi8(values, _mm_load_si128(reinterpret_cast<const __m128i*>(kSlotIndexes.reverse)));
}

ZORBIN_WIDE inline uint8_t FrontValue(__m128i front) { return uint8_t(_mm_extract_epi8(front, 15)); }

// The second pass over kPieces pieces of length bytes (the last to end).
ZORBIN_WIDE void DecodeFrontSlots(uint8_t* const pieces[kPieces], size_t length, uint8_t* const end,
                                  const uint8_t* const slots[kPieces], const uint8_t* const rows[kPieces],
                                  uint8_t* const contents[kPieces], __m128i fronts[kPieces]) {
  static_assert(kPieces == 3);
  __m128i fa = _mm_load_si128(reinterpret_cast<const __m128i*>(kSlotIndexes.reverse)), fb = fa, fc = fa;
  uint8_t* const pa = pieces[0];
  uint8_t* const pb = pieces[1];
  uint8_t* const pc = pieces[2];
  const uint8_t* const sa = slots[0];
  const uint8_t* const sb = slots[1];
  const uint8_t* const sc = slots[2];
  const uint8_t* const ra = rows[0];
  const uint8_t* const rb = rows[1];
  const uint8_t* const rc = rows[2];
  uint8_t* const ea = contents[0];
  uint8_t* const eb = contents[1];
  uint8_t* const ec = contents[2];
  size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    __m128i va = _mm_setzero_si128(), vb = va, vc = va;
    for (size_t j = i; j < i + 16; ++j) {
      FrontSlotStep(fa, ea, ra[j], sa[j]);
      va = CollectLast(va, fa);
      FrontSlotStep(fb, eb, rb[j], sb[j]);
      vb = CollectLast(vb, fb);
      FrontSlotStep(fc, ec, rc[j], sc[j]);
      vc = CollectLast(vc, fc);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pa + i), Reversed(va));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pb + i), Reversed(vb));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pc + i), Reversed(vc));
  }
  for (; i < length; ++i) {
    FrontSlotStep(fa, ea, ra[i], sa[i]);
    pa[i] = FrontValue(fa);
    FrontSlotStep(fb, eb, rb[i], sb[i]);
    pb[i] = FrontValue(fb);
    FrontSlotStep(fc, ec, rc[i], sc[i]);
    pc[i] = FrontValue(fc);
  }
  for (uint8_t* p = pc + length; p < end; ++p, ++i) {
    FrontSlotStep(fc, ec, rc[i], sc[i]);
    *p = FrontValue(fc);
  }
  fronts[0] = fa;
  fronts[1] = fb;
  fronts[2] = fc;
}

// The whole table a piece leaves: its front, then the slots' contents in
// the slots' order.
ZORBIN_WIDE TWideTable SlotTable(__m128i front, const uint8_t* contents, const TSlotOrder& order) {
  alignas(64) uint8_t bytes[256];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), Reversed(front));
  alignas(64) uint8_t slots[kSlots];
  std::memcpy(slots, order.top, kQueued);
  _mm512_storeu_si512(slots + kQueued, order.first);
  _mm512_storeu_si512(slots + kQueued + 64, order.second);
  for (int i = 0; i < kSlots; ++i) bytes[kFrontValues + i] = contents[4 * size_t(slots[i])];
  return {{Load(bytes), Load(bytes + 64), Load(bytes + 128), Load(bytes + 192)}};
}

ZORBIN_WIDE void DecodeSlotPieces(uint8_t* data, size_t size) {
  static_assert(kPieces == 3);
  const size_t length = size / kPieces;
  uint8_t* const pieces[kPieces] = {data, data + length, data + 2 * length};
  uint8_t* const ends[kPieces] = {pieces[1], pieces[2], data + size};
  thread_local std::vector<uint8_t> deepRanks, spread, rooms;
  uint8_t* gathered = KeptBytes(deepRanks, size + 64 * (kPieces + 1));
  uint8_t* const spreadBytes = KeptBytes(spread, 2 * size);
  rooms.resize(kPieces * (kQueueRoom + kQueueSlack));
  uint8_t* ranks[kPieces];
  size_t counts[kPieces];
  TSlotOrder orders[kPieces];
  for (int k = 0; k < kPieces; ++k) {
    ranks[k] = gathered;
    counts[k] = GatherRanks(pieces[k], ends[k], gathered, kFrontValues);
    gathered += counts[k] + 64;
    orders[k] = StartingSlots(rooms.data() + size_t(k) * (kQueueRoom + kQueueSlack));
  }
  DecodeSlots(ranks, counts, orders);
  const uint8_t* slots[kPieces];
  const uint8_t* rows[kPieces];
  for (int k = 0; k < kPieces; ++k) {
    uint8_t* const outSlots = spreadBytes + (pieces[k] - data);
    uint8_t* const outRows = outSlots + size;
    SpreadSlots(pieces[k], ends[k], ranks[k], outSlots, outRows);
    slots[k] = outSlots;
    rows[k] = outRows;
  }
  alignas(64) uint8_t contents[kPieces][256 * 4];
  for (auto& piece : contents)
    for (int s = 0; s < 256; ++s) piece[4 * s] = uint8_t(kFrontValues + s);
  uint8_t* const contentsOf[kPieces] = {contents[0], contents[1], contents[2]};
  __m128i fronts[kPieces];
  DecodeFrontSlots(pieces, length, ends[2], slots, rows, contentsOf, fronts);
  const TWideTable endA = SlotTable(fronts[0], contents[0], orders[0]);
  LookUp(pieces[1], pieces[2], endA);
  LookUp(pieces[2], ends[2], Compose(endA, SlotTable(fronts[1], contents[1], orders[1])));
}

// The decoder for the mix of ranks: ranks of 128 or more common and those of
// 16 to 127 fewer than half as many, the slots; ranks of 16 or more nearly
// absent, the front sixteen alone, which wait less; short inputs or many
// ranks of 64 or more, one piece.
ZORBIN_WIDE void DecodeRanks(uint8_t* data, size_t size, const TRankCounts& counts) {
  if (size >= kPiecesFrom && counts.oldest * 16 >= size && (counts.beyondSixteen - counts.oldest) * 2 <= counts.oldest)
    DecodeSlotPieces(data, size);
  else if (size < kPiecesFrom || counts.deep * 8 >= size)
    DecodeOnePiece(data, data + size);
  else if (counts.beyondSixteen * 32 < size)
    DecodeFrontPieces(data, size);
  else
    DecodePieces(data, size);
}

// Rank 0 gives the value given last and leaves the table as it is, so
// where zeros are common only the other ranks go through the table: they are
// gathered (GatherRanks from 1), decoded (in pieces or not), and spread
// back, each zero taking the value before it.

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
  thread_local std::vector<uint8_t> kept;
  uint8_t* const gathered = KeptBytes(kept, size - counts.zeros + 64);
  const size_t ranks = GatherRanks(p, p + size, gathered, 1);
  TRankCounts gatheredCounts = counts;
  gatheredCounts.zeros = 0;
  DecodeRanks(gathered, ranks, gatheredCounts);
  // The table starts as 0 ... 255: a zero before any other rank gives 0.
  SpreadValues(p, p + size, gathered, 0);
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
