// MyZStreamUnit: zlib inflate and deflate over streams.
#include "storage/MyZStreamUnit.h"

#include "util/Streams.h"

#include <zlib.h>

namespace zorbin {

void InflateStream(TStream& source, TStream& destination) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EZlibError("zlib: cannot start inflating");
  std::vector<uint8_t> in(32768), out(32768);
  size_t total = 0;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (z.avail_in == 0) {
      z.avail_in = uInt(source.Read(in.data(), in.size()));
      z.next_in = in.data();
      if (z.avail_in == 0) {
        inflateEnd(&z);
        throw EZlibError("zlib: data error (stream cut short)");
      }
    }
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) {
      inflateEnd(&z);
      throw EZlibError("zlib: data error");
    }
    size_t produced = out.size() - z.avail_out;
    total += produced;
    if (total > kMaxInflatedSize) {
      inflateEnd(&z);
      throw EZlibError("zlib: data error (output too large)");
    }
    destination.WriteBuffer(out.data(), produced);
  }
  inflateEnd(&z);
}

std::vector<uint8_t> DeflateBytes(const std::vector<uint8_t>& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
    throw EZlibError("zlib: cannot deflate");
  out.resize(size);
  return out;
}

}  // namespace zorbin
