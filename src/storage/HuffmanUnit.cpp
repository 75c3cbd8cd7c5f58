// HuffmanUnit: per-block Huffman decoding and encoding.
#include "storage/HuffmanUnit.h"

#include "storage/CompressorUnit.h"
#include "util/ByteOrder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <queue>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define ZORBIN_HUFFMAN_BMI2 1
#else
#define ZORBIN_HUFFMAN_BMI2 0
#endif

namespace zorbin {

namespace {

#if ZORBIN_HUFFMAN_BMI2
bool HasBitManipulation() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("bmi2"));
  return has;
}
#endif

// A tree of at most 256 leaves has at most 511 nodes; node 0 is the root and
// children are taken in allocation order from 1 upwards.
constexpr size_t kNodeTableSize = 512;
constexpr size_t kHeaderSize = 5;

// Blocks are decoded through lookup tables of kTableBits-bit prefixes: from
// kSingleBlockLength codes on a table of the first code of each prefix,
// from kMultiBlockLength codes on one of all the whole codes a prefix holds
// too (several bytes a lookup, but dearer to build). For shorter blocks
// building a table would cost more than it saves, and they walk the tree
// bit by bit.
constexpr size_t kSingleBlockLength = 128;
constexpr size_t kMultiBlockLength = 2048;
constexpr unsigned kTableBits = 11;
constexpr size_t kTableSize = size_t(1) << kTableBits;
// A table entry holds up to this many whole codes that fit in its prefix.
constexpr unsigned kEntrySymbols = 6;
// Table lookups between two refills of the bit buffer: a refill leaves at
// least 56 valid bits.
constexpr unsigned kLookupsPerRefill = 56 / kTableBits;
constexpr size_t kGroupBits = size_t(kLookupsPerRefill) * kTableBits;
static_assert(kGroupBits <= 56);
constexpr size_t kGroupBytes = size_t(kLookupsPerRefill) * kEntrySymbols;

// Blocks from kChainsFrom codes on are also decoded as kChains chains side
// by side (one table lookup waits for the one before it, so a single chain
// leaves the processor idle). Chain k starts k / kChains of the way into the
// block's bits, as far as the code lengths let that be guessed, which is
// most likely inside a code; but codes fall back into step after some, so
// the chain keeps the bit positions it passes, and the chain before it,
// decoding on code by code, reaches one of them: from there on both read the
// same codes. A chain that is not reached is dropped and its bytes decoded
// again.
constexpr size_t kChainsFrom = 4096;
constexpr size_t kMarkStride = 4;
constexpr size_t kChains = 4;

[[noreturn]] void RaiseTruncated() { throw ECompressionError("Huffman data ends early"); }

struct TNode {
  uint16_t child[2] = {0, 0};
  uint8_t value = 0;
  bool leaf = false;
};

using TNodeTable = std::array<TNode, kNodeTableSize>;

// Reads the tree and codes of every block, bits most significant first, by
// absolute bit position in the data.
class TBlockDecoder {
 public:
  TBlockDecoder(const uint8_t* data, size_t size) : data_(data), size_(size), bitSize_(size * 8) {}

  // The next block's u16 length, read on the byte boundary after the bits
  // taken so far.
  size_t BlockLength() {
    size_t byte = (pos_ + 7) / 8;
    if (byte + 2 > size_) RaiseTruncated();
    pos_ = (byte + 2) * 8;
    return LoadLE16(data_ + byte);
  }

  // Every node taken from the table is written as it is read, so nothing
  // needs clearing between blocks.
  void ReadTree() {
    used_ = 1;
    expectedBits_ = 0;
    shortest_ = UINT_MAX;
    ReadNode(0, 0);
  }

  // Appends length decoded bytes to out.
  void DecodeBlock(size_t length, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    if (nodes_[0].leaf) {
      // A single-leaf tree: its codes take no bits.
      out.insert(out.end(), length, nodes_[0].value);
      return;
    }
    // Every other code takes a bit at least: a length the bits left cannot
    // hold is refused before its bytes are allocated.
    if (length > bitSize_ - pos_) throw ECompressionError("Huffman block longer than its data");
    // Room for the fast loop's 8-byte stores past the block's last byte.
    out.resize(start + length + 8);
    uint8_t* dest = out.data() + start;
    uint8_t* const end = dest + length;
    const bool multi = length >= kMultiBlockLength;
    const bool single = !multi && length >= kSingleBlockLength;
    auto fast = [&] {
      if (multi) dest = DecodeFast<true>(dest, end);
      if (single) dest = DecodeFast<false>(dest, end);
    };
    if (multi || single) BuildSingle();
    if (multi) FillMulti(0, kTableBits, 0, 0, 0);
    if (length >= kChainsFrom) {
      dest = DecodeChains(dest, end);
      // Where the guess of the block's bits fell short, a second set of
      // chains takes what the first left.
      if (size_t(end - dest) >= kChainsFrom / 2) dest = DecodeChains(dest, end);
    }
    fast();
    while (dest < end) {
      // Long codes, the last bytes of the data and short blocks.
      *dest++ = WalkCode();
      fast();
    }
    out.resize(start + length);
  }

  // Bytes taken so far, a partly read byte included.
  size_t Consumed() const { return (pos_ + 7) / 8; }

 private:
  unsigned Bit() {
    if (pos_ >= bitSize_) RaiseTruncated();
    const unsigned bit = (data_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1;
    ++pos_;
    return bit;
  }

  // Depth is bounded: every inner node takes two of the 512 entries. The
  // mean code length is weighed as if each code of n bits stood for 2^-n of
  // the bytes, as the code's lengths suggest.
  void ReadNode(uint16_t index, int depth) {
    TNode& node = nodes_[index];
    if (Bit()) {
      unsigned v = 0;
      for (int i = 0; i < 8; ++i) v = (v << 1) | Bit();
      node.leaf = true;
      node.value = uint8_t(v);
      expectedBits_ += depth * std::ldexp(1.0, -depth);
      shortest_ = std::min(shortest_, unsigned(depth));
      return;
    }
    if (used_ + 2 > kNodeTableSize) throw ECompressionError("Huffman tree has too many nodes");
    node.leaf = false;
    node.child[0] = uint16_t(used_++);
    node.child[1] = uint16_t(used_++);
    ReadNode(node.child[0], depth + 1);
    ReadNode(node.child[1], depth + 1);
  }

  // One code from the root, a bit at a time; raises where the data ends.
  uint8_t WalkCode() {
    uint8_t value = 0;
    if (!WalkAt(pos_, value)) RaiseTruncated();
    return value;
  }

  // One code from bit pos on; false where the data ends first.
  bool WalkAt(size_t& pos, uint8_t& value) const {
    uint16_t n = 0;
    while (!nodes_[n].leaf) {
      if (pos >= bitSize_) return false;
      n = nodes_[n].child[(data_[pos >> 3] >> (7 - (pos & 7))) & 1];
      ++pos;
    }
    value = nodes_[n].value;
    return true;
  }

  // Table entries. single_: the first code of a kTableBits-bit prefix as its
  // value, its length in bits 8-15 and kLeafFlag, or 0 where the code is
  // longer than the prefix. multi_: byte 0 the bits of the whole codes the
  // prefix holds, bytes 1-6 their values, byte 7 their count (0 where the
  // first code is longer than the prefix).
  static constexpr uint32_t kLeafFlag = 0x10000;

  void BuildSingle() {
    struct TPending {
      uint16_t node;
      uint16_t depth;
      uint32_t code;
    };
    TPending stack[kTableBits + 1];
    size_t top = 0;
    stack[top++] = {0, 0, 0};
    while (top > 0) {
      const TPending p = stack[--top];
      const TNode& node = nodes_[p.node];
      if (node.leaf) {
        const uint32_t entry = node.value | uint32_t(p.depth) << 8 | kLeafFlag;
        const size_t first = size_t(p.code) << (kTableBits - p.depth);
        std::fill_n(single_.begin() + std::ptrdiff_t(first), size_t(1) << (kTableBits - p.depth), entry);
      } else if (p.depth == kTableBits) {
        single_[p.code] = 0;
      } else {
        stack[top++] = {node.child[1], uint16_t(p.depth + 1), p.code << 1 | 1};
        stack[top++] = {node.child[0], uint16_t(p.depth + 1), p.code << 1};
      }
    }
  }

  // Fills the 2^rest entries from first on, whose first used bits hold the
  // count codes gathered in partial; the next rest bits pick what follows
  // (nothing where they are fewer than the shortest code).
  void FillMulti(size_t first, unsigned rest, uint64_t partial, unsigned count, unsigned used) {
    const uint64_t whole = partial | used | uint64_t(count) << 56;
    if (count == kEntrySymbols || rest < shortest_) {
      std::fill_n(multi_.begin() + std::ptrdiff_t(first), size_t(1) << rest, whole);
      return;
    }
    const size_t span = size_t(1) << rest;
    for (size_t j = 0; j < span;) {
      const uint32_t next = single_[j << (kTableBits - rest)];
      const unsigned length = (next >> 8) & 0xFF;
      if ((next & kLeafFlag) && length <= rest) {
        const unsigned left = rest - length;
        const uint64_t taken = partial | uint64_t(next & 0xFF) << (8 * (count + 1));
        // Where no further code fits, the entries are filled here: most
        // calls would do only that.
        if (count + 1 == kEntrySymbols || left < shortest_)
          std::fill_n(multi_.begin() + std::ptrdiff_t(first + j), size_t(1) << left,
                      taken | (used + length) | uint64_t(count + 1) << 56);
        else
          FillMulti(first + j, left, taken, count + 1, used + length);
        j += size_t(1) << left;
      } else {
        multi_[first + j] = whole;
        ++j;
      }
    }
  }

  // A place in the bit stream with the bits ahead of it in a buffer, whose
  // valid bits always end on a byte boundary, at next.
  struct TCursor {
    const uint8_t* next;
    uint64_t buffer;
    unsigned count;
  };

  // The last place a refill may load from.
  const uint8_t* LastLoad() const { return data_ + size_ - 8; }
  bool CanLoadAt(size_t pos) const { return size_ >= 8 && data_ + (pos >> 3) <= LastLoad(); }

  static void Refill(TCursor& c) {
    c.buffer |= LoadBE64(c.next) >> c.count;
    c.next += (63 - c.count) >> 3;
    c.count |= 56;
  }

  // Needs CanLoadAt(pos).
  TCursor CursorAt(size_t pos) const {
    TCursor c{data_ + (pos >> 3), 0, 0};
    Refill(c);
    c.buffer <<= pos & 7;
    c.count -= pos & 7;
    return c;
  }

  size_t PositionOf(const TCursor& c) const { return size_t(c.next - data_) * 8 - c.count; }

  // One lookup of the table of whole codes: false, the cursor unmoved, where
  // the first code is longer than the table's prefix.
  bool TakeCodes(TCursor& c, uint8_t*& dest) const {
    const uint64_t entry = multi_[c.buffer >> (64 - kTableBits)];
    const unsigned symbols = unsigned(entry >> 56);
    if (symbols == 0) return false;
    StoreLE64(dest, entry >> 8);
    dest += symbols;
    c.buffer <<= entry & 63;
    c.count -= unsigned(entry & 63);
    return true;
  }

  // Decodes through the table (multi_ with kMulti, else single_) while the
  // data and the block leave room for whole groups of lookups and the bits
  // read stay below stopBit; returns where the output stopped. Stops before
  // a code longer than the table's prefix.
  template <bool kMulti>
  uint8_t* DecodeFast(uint8_t* dest, uint8_t* const end, size_t stopBit = SIZE_MAX) {
    constexpr size_t kBytes = kMulti ? kGroupBytes : kLookupsPerRefill;
    if (!CanLoadAt(pos_) || size_t(end - dest) < kBytes) return dest;
    TCursor c = CursorAt(pos_);
    while (size_t(end - dest) >= kBytes && c.next <= LastLoad() && PositionOf(c) + kGroupBits <= stopBit) {
      Refill(c);
      for (unsigned i = 0; i < kLookupsPerRefill; ++i) {
        if constexpr (kMulti) {
          if (!TakeCodes(c, dest)) goto done;
        } else {
          const uint32_t entry = single_[c.buffer >> (64 - kTableBits)];
          if (!(entry & kLeafFlag)) goto done;
          *dest++ = uint8_t(entry);
          const unsigned bits = (entry >> 8) & 0xFF;
          c.buffer <<= bits;
          c.count -= bits;
        }
      }
    }
  done:
    pos_ = PositionOf(c);
    return dest;
  }

  // Walks the code at pos where it is longer than the table's prefix; false
  // where the data ends too soon for that or for the next load of bits.
  bool LongCodeAt(size_t pos) const {
    return (multi_[LoadBE64(data_ + (pos >> 3)) << (pos & 7) >> (64 - kTableBits)] >> 56) == 0;
  }

  bool WalkLong(size_t& pos, uint8_t*& dest) const {
    if (!LongCodeAt(pos)) return true;
    size_t after = pos;
    if (!WalkAt(after, *dest) || !CanLoadAt(after)) return false;
    ++dest;
    pos = after;
    return true;
  }

  // A place that a chain after the first passed at the start of a group of
  // lookups: its bit position and how many bytes the chain had made before
  // it. Any such place that the chain before reaches too is where their
  // codes are in step.
  struct TMark {
    size_t bit;
    size_t made;
  };

  // The chains side by side: their cursors and outputs, where each output
  // starts, where the chains after the first start reading, their marks, and
  // how much all may write together.
  struct TLockstep {
    TCursor cursors[kChains];
    uint8_t* outs[kChains];
    uint8_t* starts[kChains];
    size_t bounds[kChains];  // bounds[k]: where chain k + 1 starts
    TMark* marks[kChains];
    size_t markCounts[kChains];
    size_t markRoom;
    size_t room;
  };

  // Until a chain comes near where the next one starts, a refill would read
  // past the data, the output could reach the room or the marks theirs. Each
  // chain is kept in plain locals (bit position, bits ahead, output, the
  // entry not yet written), which stay in registers. Before each group of
  // lookups the bits ahead are loaded from the position: 56 of them, then a
  // marker bit, so that after the group the marker's place tells how many
  // were used and the lookups themselves need not count. Each entry is
  // written one lookup late: where a write goes then depends on entries
  // found long before, and the next lookups need not wait to learn that it
  // is not theirs.
  __attribute__((always_inline)) inline void Lockstep(TLockstep& step) const {
    size_t pos[kChains];
    uint64_t bits[kChains];
    uint8_t* out[kChains];
    uint64_t pending[kChains];
    for (size_t k = 0; k < kChains; ++k) {
      pos[k] = PositionOf(step.cursors[k]);
      out[k] = step.outs[k];
      pending[k] = 0;
    }
    const size_t lastBit = (size_ - 8) * 8;  // CanLoadAt below it
    const uint8_t* const data = data_;
    constexpr uint64_t kMarker = 0x80;
    // How many groups every chain can still run before one could come near
    // the next chain, a load could pass the data's end, the output could
    // reach the room or the marks theirs; a group reads at most kGroupBits
    // bits and makes at most kGroupBytes bytes a chain.
    auto groupsLeft = [&] {
      size_t groups = step.markRoom;
      size_t written = 0;
      for (size_t k = 0; k < kChains; ++k) {
        const size_t limit = std::min(lastBit, step.bounds[k] - std::min(step.bounds[k], kGroupBits));
        if (pos[k] >= limit) return size_t(0);
        groups = std::min({groups, (limit - pos[k]) / kGroupBits, step.markRoom - step.markCounts[k]});
        written += size_t(out[k] - step.starts[k]) + size_t(pending[k] >> 56);
      }
      if (written >= step.room) return size_t(0);
      return std::min(groups, (step.room - written) / (kChains * kGroupBytes));
    };
    auto flush = [&](size_t k) {
      StoreLE64(out[k], pending[k] >> 8);
      out[k] += pending[k] >> 56;
      pending[k] = 0;
    };
    size_t phase = 0;  // marks are kept at every kMarkStride-th group
    for (size_t groups = groupsLeft(); groups > 0; groups = groupsLeft()) {
      bool stalled = false;
      for (; groups > 0 && !stalled; --groups) {
        if (phase++ % kMarkStride == 0) {
#pragma GCC unroll 8
          for (size_t k = 1; k < kChains; ++k)
            step.marks[k][step.markCounts[k]++] = {pos[k], size_t(out[k] - step.starts[k]) + size_t(pending[k] >> 56)};
        }
#pragma GCC unroll 8
        for (size_t k = 0; k < kChains; ++k)
          bits[k] = ((LoadBE64(data + (pos[k] >> 3)) << (pos[k] & 7)) & ~uint64_t(0xFF)) | kMarker;
#pragma GCC unroll 8
        for (unsigned i = 0; i < kLookupsPerRefill; ++i) {
#pragma GCC unroll 8
          for (size_t k = 0; k < kChains; ++k) {
            const uint64_t entry = multi_[bits[k] >> (64 - kTableBits)];
            StoreLE64(out[k], pending[k] >> 8);
            out[k] += pending[k] >> 56;
            pending[k] = entry;
            bits[k] <<= entry & 63;
          }
        }
#pragma GCC unroll 8
        for (size_t k = 0; k < kChains; ++k) {
          pos[k] += size_t(__builtin_ctzll(bits[k])) - 7;
          // A code longer than the table's prefix has a zero entry, which
          // leaves the chain where it is to the group's end.
          stalled |= pending[k] == 0;
        }
      }
      if (!stalled) continue;
      bool walked = true;
      for (size_t k = 0; k < kChains && walked; ++k) {
        if (pending[k] != 0) continue;
        walked = WalkLong(pos[k], out[k]);
      }
      if (!walked) break;
    }
    for (size_t k = 0; k < kChains; ++k) {
      flush(k);
      step.cursors[k] = CursorAt(pos[k]);
      step.outs[k] = out[k];
    }
  }

  void LockstepPlain(TLockstep& step) const { Lockstep(step); }
#if ZORBIN_HUFFMAN_BMI2
  // Shifts by a count in any register: no copy of each entry into one
  // register per shift.
  __attribute__((target("bmi2"))) void LockstepBmi2(TLockstep& step) const { Lockstep(step); }
#endif

  // One code from pos_ through the table of first codes where it can.
  uint8_t NextCode() {
    if (CanLoadAt(pos_)) {
      const uint32_t entry = single_[(LoadBE64(data_ + (pos_ >> 3)) << (pos_ & 7)) >> (64 - kTableBits)];
      if (entry & kLeafFlag) {
        pos_ += (entry >> 8) & 0xFF;
        return uint8_t(entry);
      }
    }
    return WalkCode();
  }

  // The chains of the block whose output is [dest, end), from pos_; returns
  // where the joined output stops, pos_ there. The caller decodes the rest.
  uint8_t* DecodeChains(uint8_t* dest, uint8_t* const end) {
    // The bytes and marks of the chains after the first, kept between calls
    // so that every block does not take fresh memory.
    struct TChainBuffers {
      std::vector<uint8_t> bytes;
      std::vector<TMark> marks;
    };
    thread_local std::array<TChainBuffers, kChains - 1> buffers;
    const size_t length = size_t(end - dest);
    if (!CanLoadAt(pos_)) return dest;
    TLockstep step;
    step.cursors[0] = CursorAt(pos_);
    step.outs[0] = step.starts[0] = dest;
    step.marks[0] = nullptr;
    step.markCounts[0] = 0;
    step.markRoom = length / 4 + 1;
    step.room = length - kChains * (kGroupBytes + kEntrySymbols);  // a last group and an entry not yet written
    for (size_t k = 1; k < kChains; ++k) {
      const size_t start = pos_ + size_t(double(length) * double(k) / double(kChains) * expectedBits_);
      if (!CanLoadAt(start)) return dest;
      TChainBuffers& buffer = buffers[k - 1];
      if (buffer.bytes.size() < length + 8) buffer.bytes.resize(length + 8);
      if (buffer.marks.size() < step.markRoom) buffer.marks.resize(step.markRoom);
      step.cursors[k] = CursorAt(start);
      step.outs[k] = step.starts[k] = buffer.bytes.data();
      step.bounds[k - 1] = start;
      step.marks[k] = buffer.marks.data();
      step.markCounts[k] = 0;
    }
    step.bounds[kChains - 1] = SIZE_MAX;
#if ZORBIN_HUFFMAN_BMI2
    if (HasBitManipulation())
      LockstepBmi2(step);
    else
#endif
      LockstepPlain(step);
    // Joins: the output so far goes on from where it meets the next chain.
    pos_ = PositionOf(step.cursors[0]);
    dest = step.outs[0];
    for (size_t k = 1; k < kChains; ++k) {
      const TMark* const marks = step.marks[k];
      const size_t count = step.markCounts[k];
      if (count == 0) break;
      for (;;) {
        dest = DecodeFast<true>(dest, end, marks[0].bit);
        // Stopped by a code longer than the table's prefix, or near the chain.
        if (size_t(end - dest) < kGroupBytes || pos_ + kGroupBits > marks[0].bit || !CanLoadAt(pos_ + 64)) break;
        *dest++ = WalkCode();
      }
      // Whole lookups at a time; only where one would pass a mark are its
      // codes taken one by one to see whether one ends on the mark. Once in
      // step every mark is met, so one every kMarkStride groups is enough.
      size_t j = 0;
      bool met = false;
      while (dest < end) {
        while (j < count && marks[j].bit < pos_) ++j;
        if (j >= count) break;
        if (marks[j].bit == pos_) {
          met = true;
          break;
        }
        if (size_t(end - dest) >= kEntrySymbols && CanLoadAt(pos_)) {
          const uint64_t entry = multi_[(LoadBE64(data_ + (pos_ >> 3)) << (pos_ & 7)) >> (64 - kTableBits)];
          if ((entry >> 56) != 0 && pos_ + (entry & 63) < marks[j].bit) {
            StoreLE64(dest, entry >> 8);
            dest += entry >> 56;
            pos_ += entry & 63;
            continue;
          }
        }
        *dest++ = NextCode();
      }
      if (!met) break;
      const size_t made = size_t(step.outs[k] - step.starts[k]);
      const size_t left = size_t(end - dest);
      if (made - marks[j].made <= left) {
        std::memcpy(dest, step.starts[k] + marks[j].made, made - marks[j].made);
        dest += made - marks[j].made;
        pos_ = PositionOf(step.cursors[k]);
        continue;
      }
      // The block ends inside this chain: its bytes up to the last mark
      // before the end; the caller decodes the few after it.
      size_t last = j;
      while (last + 1 < count && marks[last + 1].made - marks[j].made <= left) ++last;
      std::memcpy(dest, step.starts[k] + marks[j].made, marks[last].made - marks[j].made);
      dest += marks[last].made - marks[j].made;
      pos_ = marks[last].bit;
      break;
    }
    return dest;
  }

  const uint8_t* data_;
  size_t size_;
  size_t bitSize_;
  size_t pos_ = 0;  // the next bit to read
  TNodeTable nodes_;
  size_t used_ = 0;
  double expectedBits_ = 0;
  unsigned shortest_ = 0;  // the shortest code's length
  std::array<uint32_t, kTableSize> single_;
  std::array<uint64_t, kTableSize> multi_;
};

// Writes bits most significant first.
class TBitWriter {
 public:
  explicit TBitWriter(std::vector<uint8_t>& out) : out_(out) {}
  // At most 32 bits at a time.
  void Put(uint32_t code, unsigned length) {
    acc_ = (acc_ << length) | code;
    count_ += length;
    while (count_ >= 8) {
      count_ -= 8;
      out_.push_back(uint8_t(acc_ >> count_));
    }
  }
  void Flush() {
    if (count_) out_.push_back(uint8_t(acc_ << (8 - count_)));
    count_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  unsigned count_ = 0;
};

struct TBuildNode {
  size_t child[2] = {0, 0};
  uint8_t value = 0;
  bool leaf = false;
};

struct TCode {
  uint32_t bits = 0;
  unsigned length = 0;
};

// Builds the tree of one block (ties broken by creation order, so the output
// is the same on every run) and writes it in pre-order, collecting the codes.
// With block weights of at most 32752 no code is longer than 23 bits.
class TBlockEncoder {
 public:
  TBlockEncoder(const uint8_t* data, size_t length, TBitWriter& writer)
      : data_(data), length_(length), writer_(writer) {}

  void Run() {
    size_t freq[256] = {};
    for (size_t i = 0; i < length_; ++i) ++freq[data_[i]];
    using TItem = std::pair<size_t, size_t>;  // weight, node index
    std::priority_queue<TItem, std::vector<TItem>, std::greater<TItem>> queue;
    // A block of one value gets a second leaf that no code uses, so the tree
    // is never a single leaf: the format leaves the decoding of such a tree
    // to the reader, and every reader decodes a tree of two leaves.
    size_t distinct = 0;
    for (int v = 0; v < 256; ++v) distinct += freq[v] != 0;
    for (int v = 0; v < 256; ++v) {
      bool spare = distinct == 1 && freq[v] == 0 && freq[(v + 255) % 256] != 0;
      if (!freq[v] && !spare) continue;
      TBuildNode leaf;
      leaf.leaf = true;
      leaf.value = uint8_t(v);
      nodes_.push_back(leaf);
      queue.push({freq[v], nodes_.size() - 1});
    }
    while (queue.size() > 1) {
      TItem a = queue.top();
      queue.pop();
      TItem b = queue.top();
      queue.pop();
      TBuildNode inner;
      inner.child[0] = a.second;
      inner.child[1] = b.second;
      nodes_.push_back(inner);
      queue.push({a.first + b.first, nodes_.size() - 1});
    }
    Emit(queue.top().second, 0, 0);
    for (size_t i = 0; i < length_; ++i) writer_.Put(codes_[data_[i]].bits, codes_[data_[i]].length);
    writer_.Flush();
  }

 private:
  void Emit(size_t index, uint32_t code, unsigned length) {
    const TBuildNode& node = nodes_[index];
    if (node.leaf) {
      writer_.Put(1, 1);
      writer_.Put(node.value, 8);
      codes_[node.value] = {code, length};
      return;
    }
    writer_.Put(0, 1);
    Emit(node.child[0], code << 1, length + 1);
    Emit(node.child[1], (code << 1) | 1, length + 1);
  }

  const uint8_t* data_;
  size_t length_;
  TBitWriter& writer_;
  std::vector<TBuildNode> nodes_;
  TCode codes_[256];
};

}  // namespace

std::vector<uint8_t> THuffman::DecodeBytes(const uint8_t* data, size_t size, size_t& consumed) {
  consumed = 0;
  if (size < kHeaderSize) RaiseTruncated();
  size_t left = LoadLE32(data + 1);
  if (left > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
  std::vector<uint8_t> out;
  out.reserve(std::min(left, size * 8) + 8);
  auto decoder = std::make_unique<TBlockDecoder>(data + kHeaderSize, size - kHeaderSize);
  while (left > 0) {
    const size_t length = decoder->BlockLength();
    if (length > left) throw ECompressionError("Huffman block lengths exceed the total");
    decoder->ReadTree();
    decoder->DecodeBlock(length, out);
    left -= length;
  }
  consumed = kHeaderSize + decoder->Consumed();
  return out;
}

void THuffman::Decode(TStream& source, TStream& destination) {
  const int64_t start = source.Position();
  std::vector<uint8_t> input = source.ReadAll();
  size_t consumed = 0;
  std::vector<uint8_t> out = DecodeBytes(input.data(), input.size(), consumed);
  source.SetPosition(start + int64_t(consumed));
  destination.WriteBuffer(out.data(), out.size());
}

std::vector<uint8_t> THuffman::Encode(const std::vector<uint8_t>& data) {
  if (data.size() > UINT32_MAX) throw ECompressionError("Huffman input too long");
  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + data.size() + data.size() / 512 + 64);
  out.push_back(Method);
  out.resize(out.size() + 4);
  StoreLE32(out.data() + out.size() - 4, uint32_t(data.size()));
  TBitWriter writer(out);
  for (size_t start = 0; start < data.size(); start += BlockSizeLimit) {
    size_t length = std::min(BlockSizeLimit, data.size() - start);
    out.resize(out.size() + 2);
    StoreLE16(out.data() + out.size() - 2, uint16_t(length));
    TBlockEncoder(data.data() + start, length, writer).Run();
  }
  return out;
}

}  // namespace zorbin
