// zorbin-tool check: checks a map pack (an archive, or a folder of loose
// files) with the game's own loaders and prints the findings like a
// compiler, one line each, then the count; exit code 1 when there is an
// error. A pack other than the game data is checked above the game data,
// as the game mounts a pack above it.
#include "ToolCommands.h"

#include "app/Units.h"
#include "app/Zorbin.h"
#include "authoring/PackChecker.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/ParametersUnit.h"
#include "storage/MAD4LowLevelUnit.h"
#include "storage/QXStream.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace zorbin::tool {

namespace fs = std::filesystem;

namespace {

bool IsArchive(const std::string& fileName) {
  TMAD4LowLevel probe;
  probe.Mount(fileName, true);
  bool mounted = probe.State() == TMAD4LowLevel::kStateMounted;
  probe.Unmount();
  return mounted;
}

// While it lives the working folder is a new empty one, so that no loose
// file there stands in for a file of the archive checked.
class TEmptyWorkingFolder {
 public:
  TEmptyWorkingFolder() : old_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "zorbin-check-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
      dir_ = pattern;
      fs::current_path(dir_);
    }
  }
  ~TEmptyWorkingFolder() {
    std::error_code ec;
    fs::current_path(old_, ec);
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  TEmptyWorkingFolder(const TEmptyWorkingFolder&) = delete;
  TEmptyWorkingFolder& operator=(const TEmptyWorkingFolder&) = delete;

 private:
  fs::path old_;
  fs::path dir_;
};

// The picture reader writes its complaints on standard output, which holds
// the findings: they go nowhere while the pack is read.
class TQuietStdout {
 public:
  TQuietStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      close(null);
    }
  }
  ~TQuietStdout() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }
  TQuietStdout(const TQuietStdout&) = delete;
  TQuietStdout& operator=(const TQuietStdout&) = delete;

 private:
  int saved_ = -1;
};

std::string Count(size_t n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

}  // namespace

int CheckCommand(const TArgs& args) {
  if (args.size() > 1) return Fail("usage: check [ARCHIVE|FOLDER]");
  // The game data as the game finds it: beside the program.
  std::error_code ec;
  const fs::path data = fs::absolute(DataArchiveName(ProgramPath(Parameters->Get(0))), ec);
  const fs::path target = args.empty() ? data : fs::absolute(args[0], ec);
  const bool folder = fs::is_directory(target);
  if (!folder && !fs::exists(target)) return Fail("not found: " + target.string());
  if (!folder && !IsArchive(target.string()))
    return Fail(args.empty()
                    ? "no game data beside the program (" + std::string(kDataFileName) + "): name the pack to check"
                    : "not a MAD4 archive: " + target.string());

  std::unique_ptr<TEmptyWorkingFolder> empty;
  if (folder)
    fs::current_path(target);
  else
    empty = std::make_unique<TEmptyWorkingFolder>();
  const bool ownData = !folder && fs::equivalent(target, data, ec);
  if (!ownData && IsArchive(data.string())) StreamOpener->MountArchive(data.string(), kArchivePriority);
  if (!folder) StreamOpener->MountArchive(target.string(), ownData ? kArchivePriority : TPlayMapPack::kPackPriority);

  std::vector<TFinding> findings;
  {
    TProgressLine progress;
    TQuietStdout quiet;
    TPackChecker checker;
    findings = checker.Check([&](int done, int total, const std::string& map) {
      if (done < total)
        progress.Show("checking " + map + " (" + std::to_string(done + 1) + "/" + std::to_string(total) + ")");
    });
  }
  size_t errors = 0;
  for (const TFinding& f : findings) {
    std::printf("%s\n", FormatFinding(f).c_str());
    errors += f.Error ? 1 : 0;
  }
  std::printf("%s, %s\n", Count(errors, "error").c_str(), Count(findings.size() - errors, "warning").c_str());
  return errors > 0 ? 1 : 0;
}

}  // namespace zorbin::tool
