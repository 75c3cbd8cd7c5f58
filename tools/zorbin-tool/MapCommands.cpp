// zorbin-tool map: loads a tile map as the game does, prints it and can save
// it again in any mode. Also the option handling and warning echo shared by
// the loader commands.
#include "ToolCommands.h"

#include "formats/XMapUnit.h"
#include "log/Logger.h"
#include "storage/QXStream.h"

#include <cstdio>

namespace zorbin::tool {

std::string ResourceName(const std::string& name) { return !name.empty() && name[0] == '/' ? name : ArchiveName(name); }

bool TakeArchiveOptions(TArgs& args) {
  for (size_t i = 0; i < args.size();) {
    if (args[i] != "--archive") {
      ++i;
      continue;
    }
    if (i + 1 >= args.size()) {
      Fail("--archive needs a file name");
      return false;
    }
    StreamOpener->MountArchive(args[i + 1], 100);
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
  }
  return true;
}

TWarningEcho::TWarningEcho() {
  // A log without a file of its own that echoes warnings only.
  auto echo = std::make_unique<TLogger>("/dev/null", false);
  echo->SetLevels("W");
  echo->SetEcho(true);
  saved_ = std::move(Log);
  Log = std::move(echo);
}

TWarningEcho::~TWarningEcho() {
  std::fflush(stdout);
  Log = std::move(saved_);
}

static void PrintMap(const TXMap& map) {
  std::printf("last error: %s\n", map.LastError.c_str());
  std::printf("size: %dx%d\n", map.Width(), map.Height());
  std::printf("author: %s\n", map.Author.c_str());
  std::printf("map name: %s\n", map.MapName.c_str());
  std::printf("third text: %s\n", map.ThirdText.c_str());
  std::printf("wraps: %zu\n", map.Wraps().size());
  for (const TLogicalWrap& w : map.Wraps()) std::printf("  %d -> %d\n", w.Source, w.Logical);
  std::printf("extra lines: %zu\n", map.ExtraLines.size());
  for (const std::string& line : map.ExtraLines) std::printf("  %s\n", line.c_str());
  std::printf("logical grid:\n");
  for (int32_t y = 0; y < map.Height(); ++y) {
    std::string row = " ";
    for (int32_t x = 0; x < map.Width(); ++x) row += " " + std::to_string(map.GetLogic(x, y));
    std::printf("%s\n", row.c_str());
  }
}

int MapCommand(const TArgs& arguments) {
  TArgs args = arguments;
  if (!TakeArchiveOptions(args)) return 1;
  std::string saveName, saveMode;
  bool save = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--save") continue;
    if (i + 2 >= args.size()) return Fail("--save needs OUT and MODE");
    save = true;
    saveName = args[i + 1];
    saveMode = args[i + 2];
    args.erase(args.begin() + long(i), args.begin() + long(i) + 3);
    break;
  }
  if (args.size() != 1) return Fail("usage: map NAME [--save OUT MODE] [--archive FILE]...");
  if (save && saveMode.size() != 1) return Fail("MODE is one letter: A, B, T, W or X");

  TWarningEcho echo;
  TXMap map;
  map.Load(ResourceName(args[0]));
  if (map.LastError == "Not an XMAP file!") return Fail(map.LastError);
  PrintMap(map);
  if (save && !map.Save(saveName, saveMode[0])) return Fail("map not saved: " + saveName);
  return 0;
}

}  // namespace zorbin::tool
