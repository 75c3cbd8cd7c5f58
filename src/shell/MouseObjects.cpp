// MouseObjects: the base index stack and the event dispatch.
#include "shell/MouseObjects.h"

#include "log/Logger.h"

namespace zorbin {

void TMouseObjects::Add(std::unique_ptr<TMouseObject> object) { objects_.push_back(std::move(object)); }

void TMouseObjects::PushBase() {
  savedBases_.push_back(base_);
  base_ = uint16_t(objects_.size());
}

void TMouseObjects::PopBase() {
  if (savedBases_.empty()) return;
  base_ = savedBases_.back();
  savedBases_.pop_back();
}

bool TMouseObjects::HandleEvent(const SDL_Event& event) {
  bool handled = false;
  int i = int(objects_.size()) - 1;
  for (; i >= int(base_) && !handled; --i) handled = objects_[size_t(i)]->HandleEvent(event);
  if (handled) {
    ++i;  // the loop stepped past the consuming object
    Log->Trace("Event handled by object number " + std::to_string(i) + " (" + objects_[size_t(i)]->Name + ")");
  } else {
    Log->Trace("Event not handled by any objects.");
  }
  return handled;
}

}  // namespace zorbin
