// ZORBDirectStartUnit: finding the map, playing it once or watching it.
#include "game/ZORBDirectStartUnit.h"

#include "game/ZORBMapSetupFailure.h"
#include "game/ZORBPlay1MapUnit.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "pictures/QXFonts.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace zorbin {

static const char* const kRunContext = "ZORBDirectStartUnit, TDirectStart.Run";

// Without trailing separators; a relative name takes "\" between its parts
// as resource names do, an absolute disk path keeps its "/".
static std::string MapName(const std::string& name) {
  std::string r = name;
  while (!r.empty() && (r.back() == '/' || r.back() == '\\')) r.pop_back();
  if (!r.empty() && r[0] != '/') std::replace(r.begin(), r.end(), '/', '\\');
  return r;
}

TDirectMap FindDirectMap(const std::string& name) {
  TDirectMap map;
  map.Dir = MapName(name);
  if (!map.Dir.empty() && StreamOpener->FileExists("\\$main$.ini")) {
    TPlayMapPack pack("<internal>");
    for (size_t i = 0; i < pack.Maps.size(); ++i)
      if (SameText(MapName(pack.Maps[i].Dir), map.Dir)) {
        map.Index = int(i);
        map.Dir = pack.Maps[i].Dir;
        return map;
      }
  }
  if (!map.Dir.empty() && StreamOpener->FileExists(map.Dir + "\\map00.mpt")) return map;
  throw std::runtime_error("Map not found! (" + name + "): no map of the pack and no folder holding map00.mpt");
}

std::unique_ptr<TPlay1Map> OpenVisit(const TDirectMap& map) {
  MapVisits().Notify(map.Index, map.Dir);
  // R starts the map again; there is no map-select map to leave for.
  return std::make_unique<TPlay1Map>(map.Dir, -1, -1, TVisitOptions{nullptr, true, false});
}

std::vector<TFolderWatch::TFileState> TFolderWatch::Scan() const {
  namespace fs = std::filesystem;
  std::vector<TFileState> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    struct stat st;
    std::string path = it->path().string();
    // A file may vanish between the listing and the look at it: then it is
    // simply not there.
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    files.push_back(TFileState{path, int64_t(st.st_size), int64_t(st.st_mtim.tv_sec), int64_t(st.st_mtim.tv_nsec),
                               uint64_t(st.st_ino)});
  }
  std::sort(files.begin(), files.end(), [](const TFileState& a, const TFileState& b) { return a.Path < b.Path; });
  return files;
}

// The folder on disk that holds the map's files: the name as a path from
// the working folder (or an absolute one), else under the loose-file folder
// beside the program.
static std::string WatchedFolder(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string path = ResolveDiskPath(MapName(name));
  if (fs::is_directory(path, ec)) return path;
  path = ResolveDiskPath(StreamOpener->BaseDir() + MapName(name));
  if (fs::is_directory(path, ec)) return path;
  throw std::runtime_error("Nothing to watch: " + name + " is no folder on disk");
}

void TDirectStart::Run() {
  TDirectMap map = FindDirectMap(start_.Name);
  if (start_.Watch) {
    RunWatching(map);
    return;
  }
  TPlayResult result;
  do {
    std::unique_ptr<TPlay1Map> visit = OpenVisit(map);
    WaitAtTitleCard();
    result = TPlayResult{};
    result.NextMap = map.Index;
    visit->Play(result);
  } while (result.Code == TPlayCode::Restart);
}

void TDirectStart::RunWatching(const TDirectMap& map) {
  TFolderWatch watch(WatchedFolder(start_.Name));
  // A broken map is reported and waited out, not the end of the run.
  TMapSetupRecovery recovery;
  for (;;) {
    watch.Mark();
    StreamOpener->ClearCache();
    TStep step = PlayWatched(map, watch);
    if (step == TStep::Quit) return;
    if (step == TStep::Reload)
      Log->Status("Map files changed, playing the map again (" + watch.Folder() + ")", kRunContext);
  }
}

// The failure stays on the screen while the run waits: the author looks
// there, not in the log.
static void ShowSetupFailure(const std::string& message, const std::string& folder) {
  constexpr size_t kLineLength = 84;  // characters of the raster font across the window
  QX_SDL::Clear(0, 0, 0);
  if (!MainFont) return;
  std::vector<std::string> lines{"The map cannot be played:"};
  for (const std::string& line : WrapWords(message, kLineLength - 2)) lines.push_back("  " + line);
  lines.push_back("");
  for (const std::string& line :
       WrapWords("Waiting for the map files to change (" + folder + "). Escape ends the run.", kLineLength))
    lines.push_back(line);
  int r = MainFont->ColorR, g = MainFont->ColorG, b = MainFont->ColorB;
  MainFont->SetColor(255, 255, 255);
  for (size_t i = 0; i < lines.size(); ++i) MainFont->TextOut(lines[i], 32, 200 + 12 * int(i), 0);
  MainFont->SetColor(uint8_t(r), uint8_t(g), uint8_t(b));
}

TDirectStart::TStep TDirectStart::PlayWatched(const TDirectMap& map, const TFolderWatch& watch) {
  std::unique_ptr<TPlay1Map> visit;
  std::string failure;
  try {
    visit = OpenVisit(map);
  } catch (const TMapSetupFailed& e) {
    // Its Error line is in the log already.
    failure = e.what();
  } catch (const std::exception& e) {
    Log->Error(e.what(), kRunContext);
    failure = e.what();
  }
  if (!visit) {
    Log->Status("Waiting for the map files to change (" + watch.Folder() + ")", kRunContext);
    ShowSetupFailure(failure, watch.Folder());
    return WaitWatching(watch, false);
  }
  // A Space still held from the last visit must not skip the new title card.
  QX_SDL::ClearKeys();
  TStep step = WaitWatching(watch, true);
  if (step != TStep::Start) return step;
  TPlayResult result;
  result.NextMap = map.Index;
  visit->StopRequested = [&watch] { return WatchDue(watch); };
  visit->Play(result);
  if (result.Code == TPlayCode::Escape) return TStep::Quit;
  return result.Code == TPlayCode::Stopped ? TStep::Reload : TStep::Replay;
}

TDirectStart::TStep TDirectStart::WaitWatching(const TFolderWatch& watch, bool untilSpace) {
  // Frames go on while waiting, paced by Flip, so the folder is looked at
  // on frame counts as during play.
  for (QX_SDL::PollEvents();; QX_SDL::PollEvents()) {
    if (QX_SDL::Keys[SDLK_ESCAPE]) return TStep::Quit;
    if (untilSpace && QX_SDL::Keys[SDLK_SPACE]) return TStep::Start;
    QX_SDL::Flip();
    if (WatchDue(watch)) return TStep::Reload;
  }
}

bool TDirectStart::WatchDue(const TFolderWatch& watch) {
  return QX_SDL::FrameCount() % kWatchEvery == 0 && watch.Changed();
}

}  // namespace zorbin
