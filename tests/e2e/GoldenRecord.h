// GoldenRecord: what a kept solution shows and prints when replayed — its
// map visits, the CRC-32 of every 50th presented frame and of the last one,
// and the final line — read from a record file or from a zorbin-demo run,
// and compared frame by frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbin::e2e {

struct TFrameChecksum {
  uint32_t Frame = 0;
  uint32_t Crc = 0;
  bool operator==(const TFrameChecksum&) const = default;
};

struct TGoldenRecord {
  std::vector<std::string> Visits;  // "visit INDEX DIR" lines
  std::vector<TFrameChecksum> Frames;
  std::string LastLine;  // "frames N exit CODE"

  // A record file: "#" comment lines, visit lines, "FRAME CRC" lines, the final line.
  static TGoldenRecord Parse(const std::string& text);
  // A run: its standard output and the file its --checksums wrote.
  static TGoldenRecord OfRun(const std::string& output, const std::string& checksums);
};

struct TFrameMismatch {
  uint32_t Frame = 0;      // the first frame the records disagree on; 0 when they agree
  uint32_t Neighbour = 0;  // the last checked frame before it that agrees; 0 when none
};

// The first frame whose checksum differs, or that only one record holds.
TFrameMismatch FirstMismatch(const TGoldenRecord& golden, const TGoldenRecord& run);

// Replays a run (zorbin-demo in dir with arguments) taking screenshots of
// the mismatch's frame and its neighbour as PNGs in outDir; returns a
// report naming the frame and the files written.
std::string ShowMismatch(const std::string& dir, const std::string& arguments, const TFrameMismatch& mismatch,
                         uint32_t lastFrame, const std::string& outDir);

}  // namespace zorbin::e2e
