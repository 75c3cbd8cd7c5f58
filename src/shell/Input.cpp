// Input: bindings, the joystick, and the key table's changes.
#include "shell/Input.h"

#include <algorithm>
#include <vector>

namespace zorbin {

void TInput::OpenJoystick() {
  joystickKeys_ = TJoystickKeys();
  // Without a joystick the subsystem is closed again, silently.
  if (!bindings_.JoystickEnabled || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  if (SDL_NumJoysticks() > 0) joystick_ = SDL_JoystickOpen(0);
  if (joystick_)
    SDL_JoystickEventState(SDL_ENABLE);
  else
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void TInput::OpenDevices() {
  devicesOpen_ = true;
  OpenJoystick();
}

void TInput::ForgetDevices() {
  devicesOpen_ = false;
  joystick_ = nullptr;
}

void TInput::ApplyBindings(const TKeyBindings& bindings) {
  bindings_ = bindings;
  if (!devicesOpen_ || bindings_.JoystickEnabled == (joystick_ != nullptr)) return;
  if (joystick_) {
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  } else {
    OpenJoystick();
  }
}

void TInput::HandleDeviceEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int key = bindings_.Translate(int(event.key.keysym.sym));
      if (key != TKeyBindings::kNoKey && (!onlyQuitFromDevices_ || key == SDLK_ESCAPE))
        SetKey(key, event.type == SDL_KEYDOWN);
      break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_JOYHATMOTION:
    case SDL_JOYAXISMOTION: {
      std::vector<TKeyChange> changes;
      joystickKeys_.Translate(event, bindings_, changes);
      for (const TKeyChange& change : changes)
        if (!onlyQuitFromDevices_ || change.first == SDLK_ESCAPE) SetKey(change.first, change.second);
      break;
    }
    default: break;
  }
}

void TInput::SetKey(int key, bool down) {
  if (key < 0 || key >= TKeyBindings::kKeyCount) return;
  keys_[size_t(key)] = down;
  keyChange_.Notify(key, down);
}

void TInput::ClearKeys() { std::fill(keys_.begin(), keys_.end(), false); }

}  // namespace zorbin
