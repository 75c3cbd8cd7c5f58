// Helpers shared by the unit tests: temporary folders, file contents, a
// log captured into a temporary file and the diagnostics reports made.
#pragma once

#include "log/Diagnostics.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace zorbin {
class TImage;
}

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
// A top-down 24-bit true-colour TGA file: pixel(x, y) as 0xRRGGBB and the
// image-ID bytes (the picture's animation or glyph data). The one TGA
// builder of the tests.
std::string TgaOf(int w, int h, const std::function<uint32_t(int x, int y)>& pixel, const std::string& id = "");
// The same with the pixels listed row by row.
std::string Tga(int w, int h, const std::vector<uint32_t>& rgb, const std::string& id = "");

// A picture's pixel at (x, y) as 0xRRGGBB.
uint32_t Rgb(const TImage& img, int x, int y);

// Six distinct colours for small pictures built pixel by pixel.
namespace sample {
inline constexpr uint32_t A = 0x102030, B = 0x405060, C = 0x708090, D = 0xA0B0C0, E = 0xD0E0F0, F = 0x010203;
}

// Pixels given as 0xRRGGBB, stored blue, green, red.
std::vector<uint8_t> Bgr(std::initializer_list<uint32_t> rgb);
std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b);

// Sets an environment variable, or removes it for nullptr, until the object
// goes; then the old value is back.
class TEnvScope {
 public:
  TEnvScope(const char* name, const char* value);
  ~TEnvScope();
  TEnvScope(const TEnvScope&) = delete;
  TEnvScope& operator=(const TEnvScope&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

// What a command-line tool left: its exit code and output streams.
struct TRun {
  int code = -1;
  std::string out, err;
};

// Runs a shell command: its standard output and exit code (-1 when it did
// not exit normally); err is left empty.
TRun RunCommand(const std::string& command);
// The same, and the peak resident memory (kB) of the processes the command
// started, measured apart from this program; -1 when it could not be
// measured. The test program's main must call RunMeasuredCommand first.
TRun RunCommandMeasured(const std::string& command, int64_t& peakKb);
// The measuring side: when the arguments ask for it, runs the command
// RunCommandMeasured handed over, prints its exit code and the peak of its
// processes on a line, then its output, and returns true (main then ends).
bool RunMeasuredCommand(int argc, char** argv);

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

// Keeps every diagnostics report made while it lives, in order.
class TRecordedReports final : public TDiagnosticReceiver {
 public:
  TRecordedReports() : receiving_(*this) {}
  void Receive(const TDiagnostic& diagnostic) override { All.push_back(diagnostic); }
  // The first report of the kind; a default report (kind Other, no
  // message) when there is none.
  TDiagnostic First(TDiagnosticKind kind) const;

  std::vector<TDiagnostic> All;

 private:
  TReceiving receiving_;
};

}  // namespace zorbin::test
