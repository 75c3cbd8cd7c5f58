// KeyBindings: the translation from physical keys and joystick input to the
// game's own keys. The player, the ports and the map pack read the key table
// by the keys they know (left, right, space, tab, q, escape, r, backspace,
// m); which physical
// key or joystick button stands for each is decided here. The defaults are
// the identity for every key, and the joystick's hat and first axis walk.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace zorbin {

enum class TKeyAction { Left, Right, Action, Values, Appear, Quit, Restart, Leave, Mute };
constexpr int kKeyActionCount = 9;

// The game's key for an action (SDLK_LEFT for Left, SDLK_SPACE for Action...).
int LogicalKey(TKeyAction action);

// A logical key going down or up.
using TKeyChange = std::pair<int, bool>;

class TKeyBindings {
 public:
  static constexpr int kKeyCount = 512;
  static constexpr int kNoKey = -1;
  // An axis value within this distance of the centre counts as centred.
  static constexpr int kAxisDeadZone = 8000;

  TKeyBindings();

  // The listed physical keys replace the action's default key.
  void BindKeys(TKeyAction action, const std::vector<int>& physicalKeys);
  // Every action but Left and Right takes a button; -1 leaves the action
  // without one.
  void BindButton(TKeyAction action, int button);
  bool JoystickEnabled = true;

  // The logical key for a physical one; kNoKey when it stands for nothing.
  int Translate(int physicalKey) const;
  int ButtonKey(int button) const;

 private:
  std::array<int16_t, kKeyCount> keys_;
  std::array<int, kKeyActionCount> buttons_;
};

// The walking direction the joystick holds, turned into key changes.
class TJoystickKeys {
 public:
  // Appends the logical key changes a joystick event makes; other events
  // make none.
  void Translate(const SDL_Event& event, const TKeyBindings& bindings, std::vector<TKeyChange>& changes);

 private:
  void SetDirection(int hatDirection, int axisDirection, std::vector<TKeyChange>& changes);
  int hat_ = 0;   // -1 left, 0 centred, 1 right
  int axis_ = 0;  // the same for the first axis
};

}  // namespace zorbin
