// SoundEvents: the moments of the game that sound, raised where the game
// already knows they happen (a fall that ends, a crate that starts to
// slide), and the receivers that turn them into sound. The same run raises
// the same events at the same frames; with no receiver nothing happens.
#pragma once

#include <cstdint>
#include <functional>

namespace zorbin {

enum class TSoundEvent : uint8_t {
  Land,           // the figure lands after a fall
  LiftOn,         // it starts to ride a lift
  LiftOff,        // it steps off the lift at the top
  PortEnter,      // it enters a port
  CratePush,      // a crate starts to slide or hop
  CrateSettle,    // a crate sinks into the golden slot
  SlotLamp,       // the slot's lamp turns to delivered
  MapComplete,    // the closing curtain of a completed map
  TitleCard,      // a map's title card fills in
  VolcanoErupt,   // a volcano starts to spray fire
  BridgeCrumble,  // a bridge starts to crumble
  AirLow,         // the air falls to a quarter
  EditorPaint,    // the editor paints a cell
  EditorUndo,     // the editor undoes or redoes a step
  EditorSave,     // the editor saved the map
  Count
};

// The name a pack's sounds.ini gives the event's sound: "land", "lift_on", ...
const char* SoundEventName(TSoundEvent event);

using TSoundReceiver = std::function<void(TSoundEvent)>;
// Receivers stay until removed by the id AddSoundReceiver returned.
int AddSoundReceiver(TSoundReceiver receiver);
void RemoveSoundReceiver(int id);

void RaiseSound(TSoundEvent event);

}  // namespace zorbin
