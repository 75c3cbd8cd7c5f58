// MyZStreamUnit: inflating and deflating zlib streams.
#include "storage/MyZStreamUnit.h"

#include "storage/CompressorUnit.h"
#include "util/QXToolbox.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace zorbin {

namespace {

[[noreturn]] void RaiseCorrupt(const char* detail) {
  throw ECompressionError(std::string("Corrupt zlib data: ") + detail);
}

// Owns one inflate state for the length of a call.
class TInflater {
 public:
  TInflater() {
    if (inflateInit(&z_) != Z_OK) throw ECompressionError("zlib: cannot start inflating");
  }
  ~TInflater() { inflateEnd(&z_); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // Feeds one piece of input and hands every produced piece of output to
  // emit. Returns true once the stream's end was reached; unused input is
  // then left in Unused().
  template <class Emit>
  bool Feed(const uint8_t* data, size_t size, Emit&& emit) {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = uInt(size);
    for (;;) {
      z_.next_out = out_;
      z_.avail_out = sizeof out_;
      int rc = inflate(&z_, Z_NO_FLUSH);
      size_t produced = sizeof out_ - z_.avail_out;
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) RaiseCorrupt(z_.msg ? z_.msg : zError(rc));
      total_ += produced;
      if (total_ > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
      if (produced) emit(out_, produced);
      if (rc == Z_STREAM_END) return true;
      // Output space left over means inflate wants more input.
      if (z_.avail_out != 0 || rc == Z_BUF_ERROR) return false;
    }
  }
  size_t Unused() const { return z_.avail_in; }
  [[noreturn]] static void RaiseTruncated() { RaiseCorrupt("unexpected end of data"); }

 private:
  z_stream z_{};
  uint8_t out_[kInflatePieceSize];
  size_t total_ = 0;
};

}  // namespace

void InflateStream(TStream& source, TStream& destination) {
  auto inflater = std::make_unique<TInflater>();
  std::vector<uint8_t> piece(kInflatePieceSize);
  auto emit = [&](const uint8_t* p, size_t n) { destination.WriteBuffer(p, n); };
  for (;;) {
    size_t got = source.Read(piece.data(), piece.size());
    if (got == 0) TInflater::RaiseTruncated();
    if (inflater->Feed(piece.data(), got, emit)) {
      source.Seek(-int64_t(inflater->Unused()), TSeekOrigin::Current);
      return;
    }
  }
}

namespace {

// The output of InflateBytes is inflated into one buffer that stays between
// calls and is then copied out at its exact size: a fresh buffer per file
// (grown as the output grows, often beyond the file's size) costs fresh pages
// from the system on every file, which took longer than inflating small files.
// A buffer grown past kKeptScratch for one large file is not kept.
constexpr size_t kKeptScratch = size_t(1) << 20;

struct TScratch {
  std::unique_ptr<uint8_t[]> bytes;
  size_t capacity = 0;
};

}  // namespace

std::vector<uint8_t> InflateBytes(const uint8_t* data, size_t size) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw ECompressionError("zlib: cannot start inflating");
  struct TEnd {
    z_stream& z;
    ~TEnd() { inflateEnd(&z); }
  } end{z};
  thread_local TScratch scratch;
  struct TTrim {
    ~TTrim() {
      if (scratch.capacity > kKeptScratch) scratch = TScratch();
    }
  } trim;
  if (scratch.capacity == 0) {
    scratch.bytes = UnfilledBytes(kInflatePieceSize * 4);
    scratch.capacity = kInflatePieceSize * 4;
  }
  // One byte past the limit tells a stream that goes on from one that ends
  // right at it.
  constexpr size_t kMaxBuffer = kMaxDecodedSize + 1;
  size_t total = 0;
  size_t fed = 0;
  for (;;) {
    if (total == scratch.capacity) {
      if (scratch.capacity >= kMaxBuffer) throw ECompressionError("Decoded data exceeds the size limit");
      const size_t grown = std::min(scratch.capacity * 2, kMaxBuffer);
      auto larger = UnfilledBytes(grown);
      std::memcpy(larger.get(), scratch.bytes.get(), total);
      scratch.bytes = std::move(larger);
      scratch.capacity = grown;
    }
    if (z.avail_in == 0) {
      // Input in pieces that fit zlib's 32-bit counts.
      const size_t n = std::min<size_t>(size - fed, UINT32_MAX);
      if (n == 0) TInflater::RaiseTruncated();
      z.next_in = const_cast<Bytef*>(data + fed);
      z.avail_in = uInt(n);
      fed += n;
    }
    const size_t room = std::min<size_t>(std::min(scratch.capacity, kMaxBuffer) - total, UINT32_MAX);
    z.next_out = scratch.bytes.get() + total;
    z.avail_out = uInt(room);
    const uInt inputBefore = z.avail_in;
    const int rc = inflate(&z, Z_NO_FLUSH);
    total += room - z.avail_out;
    if (total > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) RaiseCorrupt(z.msg ? z.msg : zError(rc));
    // No progress at all: the stream cannot go on with this input.
    if (rc == Z_BUF_ERROR && z.avail_in == inputBefore && z.avail_out == room) TInflater::RaiseTruncated();
  }
  return std::vector<uint8_t>(scratch.bytes.get(), scratch.bytes.get() + total);
}

std::vector<uint8_t> DeflateBytes(const std::vector<uint8_t>& data, int level) {
  if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)
    throw ECompressionError("Invalid deflate level " + std::to_string(level));
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
    throw ECompressionError("zlib: deflate failed");
  out.resize(size);
  return out;
}

}  // namespace zorbin
