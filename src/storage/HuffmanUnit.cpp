// HuffmanUnit: per-block Huffman decoding and encoding.
#include "storage/HuffmanUnit.h"

#include "storage/CompressorUnit.h"
#include "util/ByteOrder.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <queue>

namespace zorbin {

namespace {

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
    ReadNode(0);
  }

  // Appends length decoded bytes to out.
  void DecodeBlock(size_t length, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    if (nodes_[0].leaf) {
      // A single-leaf tree: its codes take no bits.
      out.insert(out.end(), length, nodes_[0].value);
      return;
    }
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

  // Depth is bounded: every inner node takes two of the 512 entries.
  void ReadNode(uint16_t index) {
    TNode& node = nodes_[index];
    if (Bit()) {
      unsigned v = 0;
      for (int i = 0; i < 8; ++i) v = (v << 1) | Bit();
      node.leaf = true;
      node.value = uint8_t(v);
      return;
    }
    if (used_ + 2 > kNodeTableSize) throw ECompressionError("Huffman tree has too many nodes");
    node.leaf = false;
    node.child[0] = uint16_t(used_++);
    node.child[1] = uint16_t(used_++);
    ReadNode(node.child[0]);
    ReadNode(node.child[1]);
  }

  // One code from the root, a bit at a time; raises where the data ends.
  uint8_t WalkCode() {
    uint16_t n = 0;
    while (!nodes_[n].leaf) n = nodes_[n].child[Bit()];
    return nodes_[n].value;
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
  // count codes gathered in partial; the next rest bits pick what follows.
  void FillMulti(size_t first, unsigned rest, uint64_t partial, unsigned count, unsigned used) {
    const uint64_t whole = partial | used | uint64_t(count) << 56;
    if (count == kEntrySymbols || rest == 0) {
      std::fill_n(multi_.begin() + std::ptrdiff_t(first), size_t(1) << rest, whole);
      return;
    }
    const size_t span = size_t(1) << rest;
    for (size_t j = 0; j < span;) {
      const uint32_t next = single_[j << (kTableBits - rest)];
      const unsigned length = (next >> 8) & 0xFF;
      if ((next & kLeafFlag) && length <= rest) {
        FillMulti(first + j, rest - length, partial | uint64_t(next & 0xFF) << (8 * (count + 1)), count + 1,
                  used + length);
        j += size_t(1) << (rest - length);
      } else {
        multi_[first + j] = whole;
        ++j;
      }
    }
  }

  // Decodes through the table (multi_ with kMulti, else single_) while the
  // data and the block leave room for whole groups of lookups; returns where
  // the output stopped. Stops before a code longer than the table's prefix.
  template <bool kMulti>
  uint8_t* DecodeFast(uint8_t* dest, uint8_t* const end) {
    constexpr size_t kGroupBytes = size_t(kLookupsPerRefill) * (kMulti ? kEntrySymbols : 1);
    const uint8_t* const last = data_ + size_ - 8;  // the last place a refill may load from
    const uint8_t* next = data_ + (pos_ >> 3);
    if (next > last || size_t(end - dest) < kGroupBytes) return dest;
    // The buffer's valid bits always end on a byte boundary, at next.
    uint64_t buffer = 0;
    unsigned count = 0;
    auto refill = [&] {
      buffer |= LoadBE64(next) >> count;
      next += (63 - count) >> 3;
      count |= 56;
    };
    refill();
    buffer <<= pos_ & 7;
    count -= pos_ & 7;
    while (size_t(end - dest) >= kGroupBytes && next <= last) {
      refill();
      for (unsigned i = 0; i < kLookupsPerRefill; ++i) {
        if constexpr (kMulti) {
          const uint64_t entry = multi_[buffer >> (64 - kTableBits)];
          const unsigned symbols = unsigned(entry >> 56);
          if (symbols == 0) goto done;
          StoreLE64(dest, entry >> 8);
          dest += symbols;
          buffer <<= entry & 63;
          count -= unsigned(entry & 63);
        } else {
          const uint32_t entry = single_[buffer >> (64 - kTableBits)];
          if (!(entry & kLeafFlag)) goto done;
          *dest++ = uint8_t(entry);
          const unsigned bits = (entry >> 8) & 0xFF;
          buffer <<= bits;
          count -= bits;
        }
      }
    }
  done:
    pos_ = size_t(next - data_) * 8 - count;
    return dest;
  }

  const uint8_t* data_;
  size_t size_;
  size_t bitSize_;
  size_t pos_ = 0;  // the next bit to read
  TNodeTable nodes_;
  size_t used_ = 0;
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
