// Input: the key table the game reads, and what fills it. Key and joystick
// events become logical keys through the bindings before the table sees
// them. Parties may watch every change of a logical key (a recorder) and
// act before each poll of the event queue (scripted or replayed input).
#pragma once

#include "shell/KeyBindings.h"
#include "shell/Observers.h"

#include <SDL.h>

#include <span>

namespace zorbin {

class TInput final {
 public:
  using TKeyTable = std::span<bool, TKeyBindings::kKeyCount>;

  // The table stays the caller's; the input only writes it.
  explicit TInput(TKeyTable keys) : keys_(keys) {}
  TInput(const TInput&) = delete;
  TInput& operator=(const TInput&) = delete;

  const TKeyBindings& Bindings() const { return bindings_; }
  // New bindings; while the devices are open, the joystick is opened or
  // closed to suit.
  void ApplyBindings(const TKeyBindings& bindings);
  // While a recording plays, the keyboard and joystick reach only the Quit key.
  void SetOnlyQuitFromDevices(bool only) { onlyQuitFromDevices_ = only; }
  bool OnlyQuitFromDevices() const { return onlyQuitFromDevices_; }

  // Opens the first joystick when the bindings enable one and one is
  // present. Without one the game runs exactly as without joystick support.
  void OpenDevices();
  // SDL_Quit closes the joystick: this only forgets it.
  void ForgetDevices();

  // Turns key and joystick events into logical key changes; other events
  // change nothing.
  void HandleDeviceEvent(const SDL_Event& event);
  // Sets a logical key as an input event would; keys outside the table are
  // ignored.
  void SetKey(int key, bool down);
  // Clears the table without telling the key-change observers: nothing was
  // pressed or released.
  void ClearKeys();

  TObserverList<>& BeforePoll() { return beforePoll_; }
  TObserverList<int, bool>& KeyChange() { return keyChange_; }

 private:
  void OpenJoystick();

  TKeyTable keys_;
  TKeyBindings bindings_;
  TJoystickKeys joystickKeys_;
  SDL_Joystick* joystick_ = nullptr;
  bool devicesOpen_ = false;
  bool onlyQuitFromDevices_ = false;
  TObserverList<> beforePoll_;
  TObserverList<int, bool> keyChange_;
};

}  // namespace zorbin
