// GoldenRecord: reading, comparing and showing frame checksum records.
#include "GoldenRecord.h"

#include "PackBuilder.h"

#include <filesystem>
#include <sstream>

namespace zorbin::e2e {
namespace {

bool ParseChecksumLine(const std::string& line, TFrameChecksum& out) {
  std::istringstream words(line);
  std::string frame, crc, extra;
  if (!(words >> frame >> crc) || (words >> extra) || crc.size() != 8) return false;
  if (frame.find_first_not_of("0123456789") != std::string::npos ||
      crc.find_first_not_of("0123456789ABCDEF") != std::string::npos)
    return false;
  out.Frame = uint32_t(std::stoul(frame));
  out.Crc = uint32_t(std::stoul(crc, nullptr, 16));
  return true;
}

// Any other line goes with the visits, so that a stray line shows in the comparison.
void AddLine(TGoldenRecord& record, const std::string& line) {
  TFrameChecksum checksum;
  if (line.rfind("frames ", 0) == 0)
    record.LastLine = line;
  else if (ParseChecksumLine(line, checksum))
    record.Frames.push_back(checksum);
  else
    record.Visits.push_back(line);
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

}  // namespace

TGoldenRecord TGoldenRecord::Parse(const std::string& text) {
  TGoldenRecord record;
  for (const std::string& line : TextLines(text)) AddLine(record, line);
  return record;
}

TGoldenRecord TGoldenRecord::OfRun(const std::string& output, const std::string& checksums) {
  TGoldenRecord record;
  for (const std::string& line : TextLines(output)) AddLine(record, line);
  for (const std::string& line : TextLines(checksums)) {
    TFrameChecksum checksum;
    if (ParseChecksumLine(line, checksum))
      record.Frames.push_back(checksum);
    else
      record.Visits.push_back("unreadable checksum line: " + line);
  }
  return record;
}

TFrameMismatch FirstMismatch(const TGoldenRecord& golden, const TGoldenRecord& run) {
  TFrameMismatch result;
  size_t g = 0, r = 0;
  while (g < golden.Frames.size() || r < run.Frames.size()) {
    if (g < golden.Frames.size() && r < run.Frames.size() && golden.Frames[g].Frame == run.Frames[r].Frame) {
      if (golden.Frames[g].Crc != run.Frames[r].Crc) {
        result.Frame = golden.Frames[g].Frame;
        return result;
      }
      result.Neighbour = golden.Frames[g].Frame;
      ++g;
      ++r;
      continue;
    }
    // A frame that only one of them checked: one run ended sooner or later.
    if (r >= run.Frames.size() || (g < golden.Frames.size() && golden.Frames[g].Frame < run.Frames[r].Frame))
      result.Frame = golden.Frames[g].Frame;
    else
      result.Frame = run.Frames[r].Frame;
    return result;
  }
  return result;
}

std::string ShowMismatch(const std::string& dir, const std::string& arguments, const TFrameMismatch& mismatch,
                         uint32_t lastFrame, const std::string& outDir) {
  std::filesystem::create_directories(outDir);
  std::string report = "the picture differs first at frame " + std::to_string(mismatch.Frame);
  std::string shots;
  std::vector<std::string> files;
  auto shoot = [&](uint32_t frame, const std::string& name) {
    if (frame == 0 || frame > lastFrame) return;
    std::string file = outDir + "/" + name;
    std::filesystem::remove(file);
    shots += " --shot '" + std::to_string(frame) + ":" + file + "'";
    files.push_back(file);
  };
  shoot(mismatch.Frame, "frame-" + std::to_string(mismatch.Frame) + "-differs.png");
  shoot(mismatch.Neighbour, "frame-" + std::to_string(mismatch.Neighbour) + "-matches.png");
  if (mismatch.Neighbour > 0)
    report += " (frame " + std::to_string(mismatch.Neighbour) + " still matches)";
  else
    report += " (no earlier checked frame matches)";
  if (files.empty()) return report + "; the run never presented that frame";
  RunDemo(dir, arguments + shots);
  report += "; pictures:";
  for (const std::string& file : files)
    report += std::filesystem::exists(file) ? " " + file : " (" + file + " not written)";
  return report;
}

}  // namespace zorbin::e2e
