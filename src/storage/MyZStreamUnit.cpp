// MyZStreamUnit: inflating and deflating zlib streams.
#include "storage/MyZStreamUnit.h"

#include "storage/CompressorUnit.h"
#include "util/KeptBytes.h"
#include "util/QXToolbox.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZORBIN_ADLER_AVX2 1
#include <immintrin.h>
#else
#define ZORBIN_ADLER_AVX2 0
#endif

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
// A buffer grown past kKeptLimit for one large file is let go at the next
// call.

struct TScratch {
  std::unique_ptr<uint8_t[]> bytes;
  size_t capacity = 0;
};

// One raw inflate state, set up once and reset for every stream: setting one
// up and freeing it cost more than inflating a small file.
class TRawInflater {
 public:
  TRawInflater() = default;
  ~TRawInflater() {
    if (started_) inflateEnd(&z_);
  }
  TRawInflater(const TRawInflater&) = delete;
  TRawInflater& operator=(const TRawInflater&) = delete;

  z_stream& Ready() {
    if (!started_) {
      z_ = z_stream{};
      if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) throw ECompressionError("zlib: cannot start inflating");
      started_ = true;
    } else if (inflateReset(&z_) != Z_OK) {
      throw ECompressionError("zlib: cannot start inflating");
    }
    // What the last stream left unread is not this one's.
    z_.next_in = nullptr;
    z_.avail_in = 0;
    return z_;
  }

 private:
  z_stream z_{};
  bool started_ = false;
};

}  // namespace

std::vector<uint8_t> InflateBytes(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> inflated = InflateKept(data, size);
  return std::vector<uint8_t>(inflated.begin(), inflated.end());
}

std::span<const uint8_t> InflateKept(const uint8_t* data, size_t size) {
  // The two header bytes and the Adler-32 behind the deflate data are read
  // here and the deflate data inflated raw: the checksum below is several
  // times faster than zlib's own, which took a fair part of every file's
  // decoding. The checks and their messages are zlib's.
  if (size < 2) TInflater::RaiseTruncated();
  const unsigned method = data[0], flags = data[1];
  if ((method << 8 | flags) % 31 != 0) RaiseCorrupt("incorrect header check");
  if ((method & 0x0F) != Z_DEFLATED) RaiseCorrupt("unknown compression method");
  if ((method >> 4) + 8 > 15) RaiseCorrupt("invalid window size");
  if (flags & 0x20) RaiseCorrupt(zError(Z_NEED_DICT));
  thread_local TRawInflater inflater;
  z_stream& z = inflater.Ready();
  thread_local TScratch scratch;
  if (scratch.capacity > kKeptLimit) scratch = TScratch();  // the last call's large file is done with
  if (scratch.capacity == 0) {
    scratch.bytes = UnfilledBytes(kInflatePieceSize * 4);
    scratch.capacity = kInflatePieceSize * 4;
  }
  // One byte past the limit tells a stream that goes on from one that ends
  // right at it.
  constexpr size_t kMaxBuffer = kMaxDecodedSize + 1;
  const uint8_t* const deflated = data + 2;
  const size_t deflatedSize = size - 2;
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
      const size_t n = std::min<size_t>(deflatedSize - fed, UINT32_MAX);
      if (n == 0) TInflater::RaiseTruncated();
      z.next_in = const_cast<Bytef*>(deflated + fed);
      z.avail_in = uInt(n);
      fed += n;
    }
    const size_t room = std::min<size_t>(std::min(scratch.capacity, kMaxBuffer) - total, UINT32_MAX);
    z.next_out = scratch.bytes.get() + total;
    z.avail_out = uInt(room);
    const uInt inputBefore = z.avail_in;
    // Z_FINISH: a stream that ends within this call is not copied into
    // zlib's sliding window as well (up to 32 KB for every file); one that
    // does not goes on in the next call as it would without.
    const int rc = inflate(&z, Z_FINISH);
    total += room - z.avail_out;
    if (total > kMaxDecodedSize) throw ECompressionError("Decoded data exceeds the size limit");
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) RaiseCorrupt(z.msg ? z.msg : zError(rc));
    // No progress at all: the stream cannot go on with this input.
    if (rc == Z_BUF_ERROR && z.avail_in == inputBefore && z.avail_out == room) TInflater::RaiseTruncated();
  }
  const size_t trailer = fed - z.avail_in;
  if (deflatedSize - trailer < 4) TInflater::RaiseTruncated();
  const uint8_t* check = deflated + trailer;
  const uint32_t expected = uint32_t(check[0]) << 24 | uint32_t(check[1]) << 16 | uint32_t(check[2]) << 8 | check[3];
  if (Adler32(scratch.bytes.get(), total) != expected) RaiseCorrupt("incorrect data check");
  return std::span<const uint8_t>(scratch.bytes.get(), total);
}

namespace {

// Sums modulo 65521, taken after at most kAdlerRun bytes, before 32 bits can
// overflow.
constexpr uint32_t kAdlerBase = 65521;
constexpr size_t kAdlerRun = 5552;

// The sums over whole vectors of the first n bytes (n at most kAdlerRun);
// returns how many bytes they took.
using TAdlerVectors = size_t (*)(const uint8_t* data, size_t n, uint64_t& s1, uint64_t& s2);

#if defined(__SSE2__)
// Sixteen bytes at a time: their sum, their sum weighted 16 .. 1, and the
// sum of the bytes before them, which each sixteen add to s2 once for every
// byte.
size_t SixteenAtATime(const uint8_t* data, size_t n, uint64_t& s1, uint64_t& s2) {
  const size_t vectors = n / 16;
  if (vectors == 0) return 0;
  const __m128i zero = _mm_setzero_si128();
  const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  __m128i sums = zero;      // bytes so far, in two 64-bit lanes
  __m128i before = zero;    // the sum of `sums` before each sixteen
  __m128i weighted = zero;  // four 32-bit lanes
  for (size_t i = 0; i < vectors; ++i, data += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    before = _mm_add_epi32(before, sums);
    sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
    weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLow));
    weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHigh));
  }
  alignas(16) uint32_t lanes[3][4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), sums);
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), before);
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), weighted);
  const uint64_t bytesSum = uint64_t(lanes[0][0]) + lanes[0][2];
  const uint64_t beforeSum = uint64_t(lanes[1][0]) + lanes[1][2];
  const uint64_t weightedSum = uint64_t(lanes[2][0]) + lanes[2][1] + lanes[2][2] + lanes[2][3];
  s2 += s1 * 16 * vectors + beforeSum * 16 + weightedSum;
  s1 += bytesSum;
  return vectors * 16;
}
#else
size_t NoVectors(const uint8_t*, size_t, uint64_t&, uint64_t&) { return 0; }
#endif

#if ZORBIN_ADLER_AVX2
bool HasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}

// The same thirty-two bytes at a time, the weighted sum as byte times
// weight with pairs added, then pairs of pairs.
__attribute__((target("avx2"))) size_t ThirtyTwoAtATime(const uint8_t* data, size_t n, uint64_t& s1, uint64_t& s2) {
  const size_t vectors = n / 32;
  if (vectors == 0) return 0;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ones = _mm256_set1_epi16(1);
  const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                                           13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  __m256i sums = zero;      // bytes so far, in four 64-bit lanes
  __m256i before = zero;    // the sum of `sums` before each thirty-two
  __m256i weighted = zero;  // eight 32-bit lanes
  for (size_t i = 0; i < vectors; ++i, data += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data));
    before = _mm256_add_epi32(before, sums);
    sums = _mm256_add_epi32(sums, _mm256_sad_epu8(bytes, zero));
    weighted = _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(bytes, weights), ones));
  }
  alignas(32) uint32_t lanes[3][8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes[0]), sums);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes[1]), before);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes[2]), weighted);
  uint64_t bytesSum = 0, beforeSum = 0, weightedSum = 0;
  for (int k = 0; k < 8; k += 2) {
    bytesSum += lanes[0][k];
    beforeSum += lanes[1][k];
  }
  for (int k = 0; k < 8; ++k) weightedSum += lanes[2][k];
  s2 += s1 * 32 * vectors + beforeSum * 32 + weightedSum;
  s1 += bytesSum;
  return vectors * 32;
}
#endif

TAdlerVectors AdlerVectors() {
#if ZORBIN_ADLER_AVX2
  if (HasAvx2()) return ThirtyTwoAtATime;
#endif
#if defined(__SSE2__)
  return SixteenAtATime;
#else
  return NoVectors;
#endif
}

}  // namespace

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler) {
  static const TAdlerVectors vectors = AdlerVectors();
  uint64_t s1 = adler & 0xFFFF;
  uint64_t s2 = adler >> 16;
  while (size > 0) {
    size_t n = std::min(size, kAdlerRun);
    size -= n;
    const size_t taken = vectors(data, n, s1, s2);
    data += taken;
    n -= taken;
    for (; n > 0; --n) {
      s1 += *data++;
      s2 += s1;
    }
    s1 %= kAdlerBase;
    s2 %= kAdlerBase;
  }
  return uint32_t(s2 << 16 | s1);
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
