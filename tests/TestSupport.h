// Helpers shared by the unit tests: temporary folders, file contents and a
// log captured into a temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin::test {

// A fresh empty folder under the system's temp folder, removed on destruction.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return path_; }  // with trailing "/"
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

std::string ReadFileText(const std::string& fileName);
void WriteFileText(const std::string& fileName, const std::string& text);
bool FileExists(const std::string& fileName);
// A top-down 24-bit true-colour TGA file: pixels as 0xRRGGBB, row by row,
// and the image-ID bytes (the picture's animation or glyph data).
std::string Tga(int w, int h, const std::vector<uint32_t>& rgb, const std::string& id = "");

// Lines split at LF with a trailing CR removed.
std::vector<std::string> SplitLines(const std::string& text);

// Points the global log at a temporary file for the lifetime of the object
// (and restores the previous one). Lines() returns what was written so far.
class TCapturedLog {
 public:
  TCapturedLog();
  ~TCapturedLog();
  std::vector<std::string> Lines() const;
  bool Contains(const std::string& line) const;

 private:
  TTempDir dir_;
  struct Saved;
  Saved* saved_;
};

}  // namespace zorbin::test
