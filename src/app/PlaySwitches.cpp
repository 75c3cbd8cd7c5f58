// PlaySwitches: seed, recording and replay of a game run.
#include "app/PlaySwitches.h"

#include "shell/InputScript.h"
#include "shell/QX_SDL.h"

#include <memory>

namespace zorbin {

namespace {

// Live for the whole process: the recorder closes its file at exit.
std::unique_ptr<TInputRecorder> gRecorder;
std::vector<TInputEvent> gReplayEvents;
size_t gReplayNext = 0;
TSubscription gReplaySubscription;
TSubscription gRecordSubscription;

// Delivers every recorded event whose frame has been presented, as the
// headless runs do; the frames of a recording are those of its events.
void DeliverReplay() {
  while (gReplayNext < gReplayEvents.size() && gReplayEvents[gReplayNext].Frame <= QX_SDL::FrameCount()) {
    const TInputEvent& event = gReplayEvents[gReplayNext++];
    // The game reads keys only; a script's pointer lines pass it by.
    if (event.Kind == TInputKind::Key) QX_SDL::SetKey(event.Symbol, event.Down);
  }
}

}  // namespace

bool StartPlaySwitches(const TOptions& switches, std::optional<uint32_t>& seed, std::string& error) {
  seed = switches.Seed;
  if (!switches.ReplayFile.empty()) {
    TInputScript script;
    if (!ReadInputScript(switches.ReplayFile, script, error)) return false;
    if (!seed) seed = script.Seed;
    gReplayEvents = std::move(script.Events);
    gReplayNext = 0;
    QX_SDL::Input().SetOnlyQuitFromDevices(true);
    gReplaySubscription = QX_SDL::Input().BeforePoll().Add(DeliverReplay);
  }
  if (!switches.RecordFile.empty()) {
    gRecorder = std::make_unique<TInputRecorder>();
    if (!gRecorder->Open(switches.RecordFile, error)) return false;
    gRecordSubscription =
        QX_SDL::Input().KeyChange().Add([](int key, bool down) { gRecorder->Record(QX_SDL::FrameCount(), key, down); });
  }
  return true;
}

}  // namespace zorbin
