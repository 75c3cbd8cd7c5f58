// HuffmanUnit: per-block Huffman decoding and encoding.
#include "storage/HuffmanUnit.h"

#include "storage/CompressorUnit.h"

#include <algorithm>
#include <array>
#include <functional>
#include <queue>

namespace zorbin {

namespace {

// A tree of at most 256 leaves has at most 511 nodes; node 0 is the root and
// children are taken in allocation order from 1 upwards.
constexpr size_t kNodeTableSize = 512;
constexpr size_t kHeaderSize = 5;
// Blocks at least this long are decoded through an 8-bit prefix table; for
// shorter ones building the table would cost more than it saves.
constexpr size_t kTableBlockLength = 1024;

[[noreturn]] void RaiseTruncated() { throw ECompressionError("Huffman data ends early"); }

struct TNode {
  uint16_t child[2] = {0, 0};
  uint8_t value = 0;
  bool leaf = false;
};

// Reads bits most significant first from bytes in memory.
class TBitReader {
 public:
  TBitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // Drops the bits left in the current byte; whole bytes read ahead go back.
  void Align() {
    pos_ -= count_ / 8;
    count_ = 0;
  }
  uint8_t AlignedByte() {
    if (count_ != 0 || pos_ >= size_) RaiseTruncated();
    return data_[pos_++];
  }
  unsigned Bit() {
    if (count_ == 0) {
      Refill();
      if (count_ == 0) RaiseTruncated();
    }
    --count_;
    return unsigned(buf_ >> count_) & 1;
  }
  unsigned Bits8() {
    unsigned v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 1) | Bit();
    return v;
  }
  // The next 8 bits, zero-padded past the end of the data.
  unsigned Peek8() {
    if (count_ < 8) Refill();
    if (count_ >= 8) return unsigned(buf_ >> (count_ - 8)) & 0xFF;
    return unsigned(buf_ << (8 - count_)) & 0xFF;
  }
  void Skip(unsigned bits) {
    if (bits > count_) RaiseTruncated();
    count_ -= bits;
  }
  // Bytes taken so far, a partly read byte included.
  size_t Consumed() const { return pos_ - count_ / 8; }

 private:
  void Refill() {
    while (count_ <= 56 && pos_ < size_) {
      buf_ = (buf_ << 8) | data_[pos_++];
      count_ += 8;
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint64_t buf_ = 0;
  unsigned count_ = 0;
};

class TTreeReader {
 public:
  TTreeReader(TBitReader& bits, std::array<TNode, kNodeTableSize>& nodes) : bits_(bits), nodes_(nodes) {}

  // Every node taken from the table is written as it is read, so nothing
  // needs clearing between blocks.
  void Read() {
    used_ = 1;
    ReadNode(0);
  }

 private:
  // Depth is bounded: every inner node takes two of the 512 entries.
  void ReadNode(uint16_t index) {
    TNode& node = nodes_[index];
    if (bits_.Bit()) {
      node.leaf = true;
      node.value = uint8_t(bits_.Bits8());
      return;
    }
    if (used_ + 2 > kNodeTableSize) throw ECompressionError("Huffman tree has too many nodes");
    node.leaf = false;
    node.child[0] = uint16_t(used_++);
    node.child[1] = uint16_t(used_++);
    ReadNode(node.child[0]);
    ReadNode(node.child[1]);
  }

  TBitReader& bits_;
  std::array<TNode, kNodeTableSize>& nodes_;
  size_t used_ = 0;
};

struct TPrefixEntry {
  uint16_t node;
  uint8_t bits;
  bool leaf;
};

void DecodeBlock(TBitReader& bits, const std::array<TNode, kNodeTableSize>& nodes, size_t length,
                 std::vector<uint8_t>& out) {
  if (nodes[0].leaf) {
    out.insert(out.end(), length, nodes[0].value);
    return;
  }
  if (length < kTableBlockLength) {
    for (size_t i = 0; i < length; ++i) {
      uint16_t n = 0;
      while (!nodes[n].leaf) n = nodes[n].child[bits.Bit()];
      out.push_back(nodes[n].value);
    }
    return;
  }
  std::array<TPrefixEntry, 256> table;
  for (unsigned prefix = 0; prefix < 256; ++prefix) {
    uint16_t n = 0;
    uint8_t used = 0;
    while (!nodes[n].leaf && used < 8) n = nodes[n].child[(prefix >> (7 - used++)) & 1];
    table[prefix] = {n, used, nodes[n].leaf};
  }
  for (size_t i = 0; i < length; ++i) {
    const TPrefixEntry& e = table[bits.Peek8()];
    bits.Skip(e.bits);
    uint16_t n = e.node;
    while (!nodes[n].leaf) n = nodes[n].child[bits.Bit()];
    out.push_back(nodes[n].value);
  }
}

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
    for (int v = 0; v < 256; ++v) {
      if (!freq[v]) continue;
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
    // A block of one value is a single-leaf tree: its codes take no bits.
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
  size_t left = size_t(data[1]) | size_t(data[2]) << 8 | size_t(data[3]) << 16 | size_t(data[4]) << 24;
  if (left > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
  std::vector<uint8_t> out;
  out.reserve(std::min(left, size * 8));
  TBitReader bits(data + kHeaderSize, size - kHeaderSize);
  std::array<TNode, kNodeTableSize> nodes;
  TTreeReader tree(bits, nodes);
  while (left > 0) {
    bits.Align();
    size_t length = bits.AlignedByte();
    length |= size_t(bits.AlignedByte()) << 8;
    if (length > left) throw ECompressionError("Huffman block lengths exceed the total");
    tree.Read();
    DecodeBlock(bits, nodes, length, out);
    left -= length;
  }
  consumed = kHeaderSize + bits.Consumed();
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
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(data.size() >> (8 * i)));
  TBitWriter writer(out);
  for (size_t start = 0; start < data.size(); start += BlockSizeLimit) {
    size_t length = std::min(BlockSizeLimit, data.size() - start);
    out.push_back(uint8_t(length));
    out.push_back(uint8_t(length >> 8));
    TBlockEncoder(data.data() + start, length, writer).Run();
  }
  return out;
}

}  // namespace zorbin
