// KeyBindings: physical keys and joystick input to logical keys.
#include "shell/KeyBindings.h"

namespace zorbin {

int LogicalKey(TKeyAction action) {
  switch (action) {
    case TKeyAction::Left: return SDLK_LEFT;
    case TKeyAction::Right: return SDLK_RIGHT;
    case TKeyAction::Action: return SDLK_SPACE;
    case TKeyAction::Values: return SDLK_TAB;
    case TKeyAction::Appear: return SDLK_q;
    case TKeyAction::Quit: return SDLK_ESCAPE;
    case TKeyAction::Restart: return SDLK_r;
    case TKeyAction::Leave: return SDLK_BACKSPACE;
    case TKeyAction::Mute: return SDLK_m;
  }
  return TKeyBindings::kNoKey;
}

TKeyBindings::TKeyBindings() {
  for (int k = 0; k < kKeyCount; ++k) keys_[size_t(k)] = int16_t(k);
  buttons_ = {kNoKey, kNoKey, 0, 1, 2, 7, kNoKey, kNoKey, kNoKey};
}

void TKeyBindings::BindKeys(TKeyAction action, const std::vector<int>& physicalKeys) {
  int logical = LogicalKey(action);
  // The default key no longer stands for the action (nor for anything else,
  // unless another binding lists it).
  if (keys_[size_t(logical)] == logical) keys_[size_t(logical)] = kNoKey;
  for (int key : physicalKeys)
    if (key >= 0 && key < kKeyCount) keys_[size_t(key)] = int16_t(logical);
}

void TKeyBindings::BindButton(TKeyAction action, int button) {
  buttons_[size_t(action)] = button < 0 ? kNoKey : button;
}

int TKeyBindings::Translate(int physicalKey) const {
  return physicalKey >= 0 && physicalKey < kKeyCount ? keys_[size_t(physicalKey)] : kNoKey;
}

int TKeyBindings::ButtonKey(int button) const {
  for (int a = 0; a < kKeyActionCount; ++a)
    if (buttons_[size_t(a)] != kNoKey && buttons_[size_t(a)] == button) return LogicalKey(TKeyAction(a));
  return kNoKey;
}

void TJoystickKeys::SetDirection(int hatDirection, int axisDirection, std::vector<TKeyChange>& changes) {
  int before = hat_ != 0 ? hat_ : axis_;
  hat_ = hatDirection;
  axis_ = axisDirection;
  int after = hat_ != 0 ? hat_ : axis_;
  if (before == after) return;
  if (before != 0) changes.emplace_back(before < 0 ? SDLK_LEFT : SDLK_RIGHT, false);
  if (after != 0) changes.emplace_back(after < 0 ? SDLK_LEFT : SDLK_RIGHT, true);
}

void TJoystickKeys::Translate(const SDL_Event& event, const TKeyBindings& bindings, std::vector<TKeyChange>& changes) {
  if (!bindings.JoystickEnabled) return;
  switch (event.type) {
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      int key = bindings.ButtonKey(event.jbutton.button);
      if (key != TKeyBindings::kNoKey) changes.emplace_back(key, event.type == SDL_JOYBUTTONDOWN);
      break;
    }
    case SDL_JOYHATMOTION: {
      int direction = (event.jhat.value & SDL_HAT_LEFT) ? -1 : (event.jhat.value & SDL_HAT_RIGHT) ? 1 : 0;
      SetDirection(direction, axis_, changes);
      break;
    }
    case SDL_JOYAXISMOTION: {
      if (event.jaxis.axis != 0) break;
      int value = event.jaxis.value;
      int direction = value < -TKeyBindings::kAxisDeadZone ? -1 : value > TKeyBindings::kAxisDeadZone ? 1 : 0;
      SetDirection(hat_, direction, changes);
      break;
    }
    default: break;
  }
}

}  // namespace zorbin
