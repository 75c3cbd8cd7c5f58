// ZORBPlayMapPackUnit: the map list and the loop over map visits.
#include "game/ZORBPlayMapPackUnit.h"

#include "formats/QXINIFile.h"
#include "game/ZORBPlay1MapUnit.h"
#include "game/ZORBProgress.h"
#include "log/Logger.h"
#include "shell/ClockUnit.h"
#include "shell/QX_SDL.h"
#include "sprites/PortProgress.h"
#include "storage/QXStream.h"
#include "util/ProcessExit.h"
#include "util/Streams.h"

#include <SDL.h>

namespace zorbin {

TObserverList<int, const std::string&>& MapVisits() {
  static TObserverList<int, const std::string&> visits;
  return visits;
}

TMapProps ParseMapItem(const std::string& item) {
  std::string text = item + ",,";
  size_t first = text.find(',');
  size_t second = text.find(',', first + 1);
  TMapProps props;
  props.Dir = text.substr(0, first);
  props.Remember = text.substr(first + 1, second - first - 1) == "1";
  return props;
}

TPlayMapPack::TPlayMapPack(const std::string& fileName) : FileName(fileName) {
  Log->Status("Map pack filename: " + fileName, "ZORBPlayMapPackUnit, TPlayMapPack.Create");
  if (FileExistsOnDisk(fileName)) StreamOpener->MountArchive(fileName, kPackPriority);
  TIniFile index("\\$main$.ini", true);
  int count = index.ListItemCount("Maps");
  for (int i = 0; i < count; ++i) Maps.push_back(ParseMapItem(index.ReadListItem("Maps", i)));
}

TPlayMapPack::~TPlayMapPack() {
  Maps.clear();
  StreamOpener->UnmountArchive(FileName);
}

std::string TPlayMapPack::GetFileName(int index) const {
  if (index >= 0 && index < int(Maps.size())) return Maps[size_t(index)].Dir;
  Log->Error("Unknown map number! (" + std::to_string(index) + ")", "ZORBPlayMapPackUnit, TPlayMapPack.GetFileName");
  HaltProcess(1);
}

static std::string gProgressFile;

void WaitAtTitleCard() {
  // A short sleep between polls keeps the wait from spinning the processor.
  for (QX_SDL::PollEventsWithoutFrames(); !QX_SDL::Keys[SDLK_SPACE]; QX_SDL::PollEventsWithoutFrames())
    Clock().Delay(1);
}

void SetProgressFile(const std::string& fileName) { gProgressFile = fileName; }

void TPlayMapPack::Run() {
  std::unique_ptr<TProgress> progress;
  if (!gProgressFile.empty()) {
    progress = std::make_unique<TProgress>(gProgressFile);
    std::vector<std::string> dirs;
    for (const TMapProps& map : Maps) dirs.push_back(map.Dir);
    progress->SetMaps(std::move(dirs));
  }
  // The ports see the progress only while this pack plays, however it ends.
  struct TPortProgressScope {
    explicit TPortProgressScope(const TPortProgress* view) { PortProgress = view; }
    ~TPortProgressScope() { PortProgress = nullptr; }
  } scope(progress.get());
  int index = 0;
  TPlayResult result;
  do {
    std::string dir = GetFileName(index);
    MapVisits().Notify(index, dir);
    // Leaving is for the maps behind the map-select map, which is the first.
    TVisitOptions options{progress.get(), true, index != 0};
    auto visit = std::make_unique<TPlay1Map>(dir, Maps[size_t(index)].StartX, Maps[size_t(index)].StartY, options);
    WaitAtTitleCard();
    int played = index;
    result = TPlayResult{};
    result.NextMap = index;
    visit->Play(result);
    visit.reset();
    if (result.Code == TPlayCode::Leave) index = 0;
    if (result.Code != TPlayCode::Completed) continue;
    index = result.NextMap;
    if (Maps[size_t(played)].Remember) {
      Maps[size_t(played)].StartX = result.PlayerX;
      Maps[size_t(played)].StartY = result.PlayerY;
    }
  } while (result.Code != TPlayCode::Escape);
}

}  // namespace zorbin
