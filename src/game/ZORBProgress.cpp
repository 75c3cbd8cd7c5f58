// ZORBProgress: the progress file. Its first section names it, so that a
// file of anything else is never taken for progress:
//   [Progress]
//   Version=1
//   [Completed]
//   Map_A=2345
#include "game/ZORBProgress.h"

#include "formats/QXINIFile.h"
#include "log/Logger.h"
#include "util/FileReplacer.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"
#include "util/UserFolders.h"

#include <cstdio>
#include <exception>

namespace zorbin {

namespace {

const char* const kContext = "ZORBProgress";
// A progress file holds a line per map: far below this.
constexpr int64_t kMaxFileSize = 1 << 20;

std::string Key(const std::string& dir) { return UpperCase(dir); }

bool ParseFrames(const std::string& text, uint32_t& frames) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  frames = uint32_t(std::stoul(text));
  return true;
}

}  // namespace

TProgress::TProgress(std::string fileName) : fileName_(std::move(fileName)) {
  if (!FileExistsOnDisk(fileName_)) return;
  std::string text;
  bool read = false;
  try {
    TFileStream file(fileName_, TFileMode::OpenRead);
    if (file.Size() <= kMaxFileSize) {
      text.resize(size_t(file.Size()));
      file.ReadBuffer(text.data(), text.size());
      read = true;
    }
  } catch (const std::exception&) {
  }
  if (read && Parse(text)) return;
  best_.clear();
  std::string bad = fileName_ + ".bad";
  std::rename(ResolveDiskPath(fileName_).c_str(), bad.c_str());
  Log->Warning("Progress file is damaged or not a progress file, kept as " + bad + "; play starts from no progress",
               kContext);
}

bool TProgress::Parse(const std::string& text) {
  TMemoryStream stream(text);
  TIniFile ini(stream);
  const std::vector<TIniSection>& sections = ini.Sections();
  if (sections.empty() || !SameText(sections[0].Name, "Progress") || ini.ReadString("Progress", "Version", "") != "1")
    return false;
  for (const TIniSection& section : sections) {
    if (!SameText(section.Name, "Completed")) continue;
    if (section.Type != stNormal) return false;
    for (const std::string& line : section.Lines) {
      size_t eq = line.find('=');
      uint32_t frames = 0;
      if (eq == std::string::npos || eq == 0 || !ParseFrames(Trim(line.substr(eq + 1)), frames)) return false;
      std::string dir = Trim(line.substr(0, eq));
      best_[Key(dir)] = TEntry{dir, frames};
    }
  }
  return true;
}

bool TProgress::Completed(int32_t level) const {
  if (level < 0 || size_t(level) >= maps_.size()) return false;
  return best_.count(Key(maps_[size_t(level)])) > 0;
}

std::optional<uint32_t> TProgress::Best(const std::string& dir) const {
  auto found = best_.find(Key(dir));
  if (found == best_.end()) return std::nullopt;
  return found->second.Frames;
}

bool TProgress::Record(const std::string& dir, uint32_t frames) {
  std::optional<uint32_t> best = Best(dir);
  bool newBest = !best || frames < *best;
  if (newBest) best_[Key(dir)] = TEntry{dir, frames};
  Save();
  return newBest;
}

void TProgress::Save() const {
  std::string text =
      "; Zorbin: the maps completed and their best times in frames (100 a second)\r\n"
      "[Progress]\r\nVersion=1\r\n[Completed]\r\n";
  for (const auto& [key, entry] : best_) text += entry.Dir + "=" + std::to_string(entry.Frames) + "\r\n";
  std::string error;
  std::string folder = ExtractFilePath(fileName_);
  if (!folder.empty()) MakeFolders(folder);
  if (!ReplaceFile(fileName_, std::vector<uint8_t>(text.begin(), text.end()), error))
    Log->Warning("Progress not saved: " + error, kContext);
}

std::string FramesAsSeconds(uint32_t frames) {
  std::string hundredths = std::to_string(frames % 100);
  if (hundredths.size() < 2) hundredths = "0" + hundredths;
  return std::to_string(frames / 100) + "." + hundredths + " s";
}

}  // namespace zorbin
