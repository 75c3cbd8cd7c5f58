// Byte builders for hand-made MAD4 archives, shared by the archive tests.
#pragma once

#include <cstdint>
#include <string>

namespace zorbin::test {

inline std::string U32(uint32_t v) {
  return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
}

inline std::string Chunk(const std::string& tag, const std::string& payload) {
  return tag + U32(uint32_t(payload.size())) + payload;
}

inline std::string NullChunk(uint32_t size) { return Chunk("NULL", std::string(size, '\0')); }

// A file chunk's payload: length byte, name, body.
inline std::string Named(const std::string& name, const std::string& body) {
  return std::string(1, char(name.size())) + name + body;
}

// Header, chunks, and (when withTrailer) the trailer counting the whole archive.
inline std::string Archive(const std::string& chunks, bool withTrailer = true) {
  std::string body = chunks + (withTrailer ? "ENDS" + U32(4) + U32(uint32_t(8 + chunks.size() + 12)) : "");
  return "MAD4" + U32(uint32_t(body.size())) + body;
}

}  // namespace zorbin::test
