// Helpers shared by the unit tests.
#include "TestSupport.h"

#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/ImageUnit.h"

#include <SDL/SDL.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace zorbin::test {

std::vector<uint8_t> Bgr(std::initializer_list<uint32_t> rgb) {
  std::vector<uint8_t> out;
  for (uint32_t c : rgb) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c >> 16));
  }
  return out;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TRun RunCommand(const std::string& command) {
  TRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The helper's switch and the variable that hands it the command.
static const char* const kMeasureSwitch = "--zorbin-measure-peak";
static const char* const kMeasureCommand = "ZORBIN_TEST_MEASURE_COMMAND";

TRun RunCommandMeasured(const std::string& command, int64_t& peakKb) {
  peakKb = -1;
  // A process's peak counts what it held before its exec too, and a child
  // forked from this test program starts as large as the program: the
  // command is run by this program started afresh, still small, whose
  // children are then measured alone.
  std::error_code error;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return TRun();
  TEnvScope scope(kMeasureCommand, command.c_str());
  TRun run = RunCommand("'" + self + "' " + kMeasureSwitch);
  const size_t eol = run.out.find('\n');
  if (run.code != 0 || eol == std::string::npos) return TRun();
  std::istringstream head(run.out.substr(0, eol));
  head >> run.code >> peakKb;
  run.out.erase(0, eol + 1);
  return run;
}

bool RunMeasuredCommand(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) != kMeasureSwitch) return false;
  const char* command = std::getenv(kMeasureCommand);
  TRun run = RunCommand(command ? command : "false");
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  std::printf("%d %ld\n", run.code, usage.ru_maxrss);
  std::fwrite(run.out.data(), 1, run.out.size(), stdout);
  return true;
}

uint32_t Rgb(const TImage& img, int x, int y) {
  uint8_t r, g, b;
  SDL_GetRGB(img.GetPixel(x, y), img.Surface->format, &r, &g, &b);
  return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

TTempDir::TTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorbin-test-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  char* made = mkdtemp(buf.data());
  path_ = std::string(made ? made : "/tmp") + "/";
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileText(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFileText(const std::string& fileName, const std::string& text) {
  std::ofstream out(fileName, std::ios::binary);
  out << text;
}

bool FileExists(const std::string& fileName) { return std::filesystem::exists(fileName); }

namespace {

// count pixels in file order, pixel(i) as 0xRRGGBB; a count short of w * h
// makes a short file.
std::string BuildTga(int w, int h, const std::string& id, size_t count, const std::function<uint32_t(size_t)>& pixel) {
  std::string s(18, '\0');
  s[0] = char(id.size());
  s[2] = 2;  // true colour
  s[12] = char(w & 255), s[13] = char(w >> 8), s[14] = char(h & 255), s[15] = char(h >> 8);
  s[16] = 24;
  s[17] = 0x20;  // rows top to bottom
  s += id;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = pixel(i);
    s += {char(c & 255), char((c >> 8) & 255), char((c >> 16) & 255)};
  }
  return s;
}

}  // namespace

std::string TgaOf(int w, int h, const std::function<uint32_t(int x, int y)>& pixel, const std::string& id) {
  const size_t count = w > 0 && h > 0 ? size_t(w) * size_t(h) : 0;
  return BuildTga(w, h, id, count, [&](size_t i) { return pixel(int(i % size_t(w)), int(i / size_t(w))); });
}

std::string Tga(int w, int h, const std::vector<uint32_t>& rgb, const std::string& id) {
  return BuildTga(w, h, id, rgb.size(), [&](size_t i) { return rgb[i]; });
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

struct TCapturedLog::Saved {
  std::unique_ptr<TLogger> log;
  std::unique_ptr<TParameters> params;
  std::string file;
};

TCapturedLog::TCapturedLog() : saved_(new Saved) {
  saved_->log = std::move(Log);
  saved_->params = std::move(Parameters);
  saved_->file = dir_.File("capture.log");
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{dir_.File("test")});
  Log = std::make_unique<TLogger>(saved_->file, false);
}

TCapturedLog::~TCapturedLog() {
  Log = std::move(saved_->log);
  Parameters = std::move(saved_->params);
  delete saved_;
}

TDiagnostic TRecordedReports::First(TDiagnosticKind kind) const {
  for (const TDiagnostic& d : All)
    if (d.Kind == kind) return d;
  return TDiagnostic();
}

std::vector<std::string> TCapturedLog::Lines() const { return SplitLines(ReadFileText(saved_->file)); }

bool TCapturedLog::Contains(const std::string& line) const {
  auto lines = Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEnvScope::TEnvScope(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

TEnvScope::~TEnvScope() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

}  // namespace zorbin::test
