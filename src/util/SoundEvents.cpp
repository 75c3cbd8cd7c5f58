// SoundEvents: the event names and the list of receivers.
#include "util/SoundEvents.h"

#include <utility>
#include <vector>

namespace zorbin {

namespace {

const char* const kNames[] = {"land",         "lift_on",   "lift_off",     "port",        "crate_push",
                              "crate_settle", "slot_lamp", "map_complete", "title_card",  "volcano",
                              "bridge",       "air_low",   "editor_paint", "editor_undo", "editor_save"};
static_assert(sizeof kNames / sizeof kNames[0] == size_t(TSoundEvent::Count));

struct TEntry {
  int Id;
  TSoundReceiver Receiver;
};
std::vector<TEntry> gReceivers;
int gNextId = 1;

}  // namespace

const char* SoundEventName(TSoundEvent event) { return event < TSoundEvent::Count ? kNames[size_t(event)] : ""; }

int AddSoundReceiver(TSoundReceiver receiver) {
  gReceivers.push_back(TEntry{gNextId, std::move(receiver)});
  return gNextId++;
}

void RemoveSoundReceiver(int id) {
  std::erase_if(gReceivers, [id](const TEntry& entry) { return entry.Id == id; });
}

void RaiseSound(TSoundEvent event) {
  for (const TEntry& entry : gReceivers) entry.Receiver(event);
}

}  // namespace zorbin
